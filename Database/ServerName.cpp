#include "Database/ServerName.h"

#include <algorithm>

namespace {

bool Allowed(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
}

}  // namespace

bool ServerName::IsWellFormed(const std::string& serverId) {
    return !serverId.empty() && serverId.size() <= kMaxLength && std::all_of(serverId.begin(), serverId.end(), Allowed);
}

std::string ServerName::ForMoveLog(const std::string& serverId, const std::string& hostName) {
    if (IsWellFormed(serverId)) return serverId;
    if (hostName.empty()) return "lockbury";
    std::string name = hostName.substr(0, kMaxLength);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !Allowed(c); }, '_');
    return name;
}
