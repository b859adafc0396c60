#include "ConfigDatabasePatch.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace LockburyServer {
namespace {

// One value of the text that the patch may touch, by its place in the text.
struct Span {
    std::size_t begin = 0, end = 0;  // the value's bytes
};

struct Found {
    std::size_t topOpen = std::string::npos;  // just after the top-level "{"
    std::size_t databaseOpen = std::string::npos;  // just after "Database": {
    std::vector<Span> ports, hosts;  // number (or true/false) ports, text hosts
    std::vector<Span> badPorts, badHosts;  // present but of another type
};

std::size_t SkipBlanks(const std::string& t, std::size_t i) {
    while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i]))) ++i;
    return i;
}

std::size_t EndOfString(const std::string& t, std::size_t i) {  // i at the opening quote
    for (++i; i < t.size() && t[i] != '"'; ++i)
        if (t[i] == '\\') ++i;
    return i < t.size() ? i + 1 : t.size();
}

// The end of the value starting at i (objects and arrays as a whole).
std::size_t EndOfValue(const std::string& t, std::size_t i) {
    if (i >= t.size()) return i;
    if (t[i] == '"') return EndOfString(t, i);
    if (t[i] == '{' || t[i] == '[') {
        int depth = 0;
        for (; i < t.size(); ++i) {
            if (t[i] == '"') {
                i = EndOfString(t, i) - 1;
            } else if (t[i] == '{' || t[i] == '[') {
                ++depth;
            } else if ((t[i] == '}' || t[i] == ']') && --depth == 0) {
                return i + 1;
            }
        }
        return t.size();
    }
    while (i < t.size() && !std::isspace(static_cast<unsigned char>(t[i])) && t[i] != ',' && t[i] != '}' && t[i] != ']')
        ++i;
    return i;
}

// Calls visit(key, valueBegin, valueEnd) for each member of the object whose "{" is at open.
template <typename Visit>
void Members(const std::string& t, std::size_t open, Visit&& visit) {
    std::size_t i = SkipBlanks(t, open + 1);
    while (i < t.size() && t[i] == '"') {
        const std::size_t keyEnd = EndOfString(t, i);
        const std::string key = t.substr(i + 1, keyEnd - i - 2);
        i = SkipBlanks(t, keyEnd);
        if (i >= t.size() || t[i] != ':') return;
        const std::size_t value = SkipBlanks(t, i + 1);
        const std::size_t end = EndOfValue(t, value);
        visit(key, value, end);
        i = SkipBlanks(t, end);
        if (i >= t.size() || t[i] != ',') return;
        i = SkipBlanks(t, i + 1);
    }
}

bool IsNumberToken(const std::string& t, std::size_t b, std::size_t e) {
    const std::string token = t.substr(b, e - b);
    if (token == "true" || token == "false") return true;
    return !token.empty() && (std::isdigit(static_cast<unsigned char>(token[0])) || token[0] == '-');
}

Found Scan(const std::string& t) {
    Found found;
    std::size_t i = t.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    i = SkipBlanks(t, i);
    if (i >= t.size() || t[i] != '{') return found;
    found.topOpen = i + 1;
    Members(t, i, [&](const std::string& key, std::size_t b, std::size_t e) {
        if (key == "mysqlPort") {
            (IsNumberToken(t, b, e) ? found.ports : found.badPorts).push_back({b, e});
        } else if (key == "Database" && b < t.size() && t[b] == '{') {
            found.databaseOpen = b + 1;
            found.hosts.clear();
            found.badHosts.clear();
            Members(t, b, [&](const std::string& inner, std::size_t ib, std::size_t ie) {
                if (inner == "mysqlHost") (t[ib] == '"' ? found.hosts : found.badHosts).push_back({ib, ie});
            });
        }
    });
    return found;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

DatabaseAddress AddressOf(const std::string& t) {
    const Found found = Scan(t);
    DatabaseAddress address;
    if (!found.hosts.empty()) {
        const Span& s = found.hosts.back();
        address.host = t.substr(s.begin + 1, s.end - s.begin - 2);
    }
    if (!found.ports.empty()) {
        const Span& s = found.ports.back();
        const std::string token = t.substr(s.begin, s.end - s.begin);
        address.port = token == "true"    ? 1u
                       : token == "false" ? 0u
                                          : static_cast<unsigned>(std::strtod(token.c_str(), nullptr));
    }
    return address;
}

std::string WithDatabaseAt(const std::string& t, const std::string& host, unsigned port) {
    const Found found = Scan(t);
    if (found.topOpen == std::string::npos) return t;
    struct Edit {
        std::size_t begin, end;
        std::string text;
    };
    std::vector<Edit> edits;
    edits.reserve(found.ports.size() + 1);
    for (const Span& s : found.ports) edits.push_back({s.begin, s.end, std::to_string(port)});
    if (found.ports.empty() && found.badPorts.empty())
        edits.push_back({found.topOpen, found.topOpen, "\"mysqlPort\": " + std::to_string(port) + ", "});
    if (found.databaseOpen != std::string::npos) {
        for (const Span& s : found.hosts) edits.push_back({s.begin, s.end, Quoted(host)});
        if (found.hosts.empty() && found.badHosts.empty()) {
            // An empty object takes the member without a separator after it.
            const bool empty = t[SkipBlanks(t, found.databaseOpen)] == '}';
            edits.push_back(
                {found.databaseOpen, found.databaseOpen, "\"mysqlHost\": " + Quoted(host) + (empty ? "" : ", ")});
        }
    }
    std::string out = t;
    // From the back, so earlier places stay where they were.
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
    for (const Edit& e : edits) out.replace(e.begin, e.end - e.begin, e.text);
    return out;
}

}  // namespace LockburyServer
