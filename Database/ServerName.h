#pragma once
// The name a server writes in the move log's server_id: the same text on every system and every
// connection, so only the characters a configured server id may hold.
#include <string>

namespace ServerName {

constexpr std::size_t kMaxLength = 64;

// A configured serverId the move log takes as it is: 1 to 64 letters, digits, '_', '-' and '.'.
bool IsWellFormed(const std::string& serverId);
// The well-formed serverId; else the host name, at most 64 characters, any other character as
// "_"; else "lockbury".
std::string ForMoveLog(const std::string& serverId, const std::string& hostName);

}  // namespace ServerName
