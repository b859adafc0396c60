#include "Private/Config/Config.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <set>
#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "Database/ServerName.h"
#include "Host/ArkApi.h"
#include "Private/Plugin/PluginFolder.h"
#include "Private/Text/TextSearch.h"

namespace Lockbury {

namespace {

FString Decode(const std::string& utf8) { return Text::FromUtf8(utf8); }

// "commands".key: operator[] turns a null "commands" into an object and raises 305 on any
// other non-object; a missing entry is added as null, which value() then refuses with 306.
nlohmann::ordered_json& CommandEntry(const std::string& key) { return Config()["commands"][key]; }

FString CommandText(const std::string& key, const char* member) {
    return Decode(CommandEntry(key).value(member, std::string("no command found")));
}

// Whether some entry of the top-level list occurs in text. A single value acts as a one-entry
// list and an object as the list of its values, as the JSON library iterates them. Read in
// place: a save asks this for every item.
bool ListMatches(const char* list, const FString& text) {
    const nlohmann::ordered_json& entries = Config()[list];
    for (const auto& entry : entries) {
        // A non-string entry raises type error 302.
        if (ContainsIgnoreCase(text, Decode(entry.get<std::string>()))) return true;
    }
    return false;
}

}  // namespace

nlohmann::ordered_json& Config() {
    static nlohmann::ordered_json document;
    return document;
}

namespace {

// Far above any real configuration; a larger file is a mistake that would slow every command.
constexpr std::size_t kMaxConfigBytes = 1 << 20;
// The deepest the configuration goes is three levels; copying a value nested thousands deep
// would overflow the stack.
constexpr int kMaxDepth = 16;

// Where the first top-level value of text ends (after a byte-order mark and blanks). Only an
// object or array is measured; anything else is left to the parser.
std::size_t EndOfFirstValue(const std::string& text) {
    std::size_t i = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size() || (text[i] != '{' && text[i] != '[')) return text.size();
    int depth = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i)
                if (text[i] == '\\') ++i;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return i + 1;
        }
    }
    return text.size();
}

std::string PathOf(const std::vector<std::string>& keys) {
    std::string path;
    for (const auto& key : keys) path += (path.empty() ? "" : ".") + key;
    return path;
}

}  // namespace

std::vector<ConfigProblem> ReadConfig() {
    std::ifstream file(Utf8Path(PluginFolder() + "/config.json"), std::ios::binary);
    if (!file.is_open()) throw std::runtime_error("Can't open config.json");
    std::string text(kMaxConfigBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return ParseConfig(std::move(text));
}

std::vector<ConfigProblem> ParseConfig(std::string text) {
    if (text.size() > kMaxConfigBytes) {
        throw std::runtime_error("config.json: the file is larger than " + std::to_string(kMaxConfigBytes) +
                                 " bytes; the plugin does not load");
    }

    std::vector<ConfigProblem> problems;
    // As before, only the first value counts; what follows it is reported, not read.
    const std::size_t end = EndOfFirstValue(text);
    if (text.find_first_not_of(" \t\r\n", end) != std::string::npos) {
        problems.push_back({"", "text after the configuration object is ignored", false});
        text.resize(end);
    }

    std::vector<std::set<std::string>> seen;  // keys of each open object
    std::vector<std::string> path;
    using Event = nlohmann::ordered_json::parse_event_t;
    auto watch = [&](int depth, Event event, nlohmann::ordered_json& parsed) {
        switch (event) {
            case Event::object_start:
            case Event::array_start:
                if (depth >= kMaxDepth) {
                    throw std::runtime_error("config.json: " + (path.empty() ? std::string("the file") : PathOf(path)) +
                                             ": nested deeper than " + std::to_string(kMaxDepth) +
                                             " levels; the plugin does not load");
                }
                if (event == Event::object_start) seen.emplace_back();
                break;
            case Event::key: {
                const std::string key = parsed.get<std::string>();
                path.resize(static_cast<std::size_t>(depth > 0 ? depth - 1 : 0));
                path.push_back(key);
                if (!seen.empty() && !seen.back().insert(key).second) {
                    // A second "decay" silently replaces the first: the one key that deletes vaults.
                    const bool destroys = depth == 1 && key == "decay";
                    problems.push_back({PathOf(path),
                                        destroys ? "given more than once; the plugin does not load"
                                                 : "given more than once; the last one counts",
                                        destroys});
                }
                break;
            }
            case Event::object_end:
                if (!seen.empty()) seen.pop_back();
                break;
            default: break;
        }
        return true;
    };
    Config() = nlohmann::ordered_json::parse(text, watch);
    return problems;
}

FString GetCommandName(const std::string& key) { return CommandText(key, "command"); }

FString GetRequiredPermission(const std::string& key) { return CommandText(key, "requiredPermission"); }

FString ConfiguredMessage(const std::string& key) { return ConfiguredMessage(key, "no message found"); }

FString ConfiguredMessage(const std::string& key, const std::string& fallback) {
    return Decode(Config()["messages"].value(key, fallback));
}

bool IsBlocked(const FString& text) { return ListMatches("blocked", text); }

bool IsResource(const FString& text) { return ListMatches("resources", text); }

bool RequiresNearTransmitter(const std::string& key) { return CommandEntry(key).value("requireNearTransmiter", true); }

int ToInt(const nlohmann::ordered_json& value) {
    // Checked before converting: a float outside the int range has no int value.
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number) || number <= static_cast<double>(std::numeric_limits<int>::min()) - 1.0 ||
            number >= static_cast<double>(std::numeric_limits<int>::max()) + 1.0) {
            throw std::out_of_range("the number " + value.dump() + " is out of range");
        }
        return static_cast<int>(number);
    }
    if (value.is_number_integer() &&
        (value.is_number_unsigned()
             ? value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
             : value.get<std::int64_t>() < std::numeric_limits<int>::min() ||
                   value.get<std::int64_t>() > std::numeric_limits<int>::max())) {
        throw std::out_of_range("the number " + value.dump() + " is out of range");
    }
    return value.get<int>();
}

int ConfigInt(const char* key) { return ToInt(Config()[key]); }

int ConfigInt(const char* key, int fallback) {
    const auto& config = Config();
    // value() semantics: a missing key gives the default, a present null is a type error.
    if (config.is_object() && !config.contains(key)) return fallback;
    if (!config.is_object()) return config.value(key, fallback);
    return ToInt(config.at(key));
}

bool CrashSafeConfigured() {
    const auto& config = Config();
    return config.is_object() && config.contains("crashSafe") && config.at("crashSafe").is_boolean() &&
           config.at("crashSafe").get<bool>();
}

bool StoreThreadConfigured() {
    const auto& config = Config();
    return config.is_object() && config.contains("storeThread") && config.at("storeThread").is_boolean() &&
           config.at("storeThread").get<bool>();
}

std::string ServerIdConfigured() {
    const auto& config = Config();
    if (!config.is_object() || !config.contains("serverId") || !config.at("serverId").is_string()) return {};
    return config.at("serverId").get<std::string>();
}

std::string MoveLogServerName() {
#ifdef _WIN32
    const char* host = std::getenv("COMPUTERNAME");
    const std::string name = host ? host : "";
#else
    std::array<char, 256> host{};
    const std::string name = gethostname(host.data(), host.size() - 1) == 0 ? host.data() : "";
#endif
    return ServerName::ForMoveLog(ServerIdConfigured(), name);
}

}  // namespace Lockbury
