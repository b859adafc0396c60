#include "Private/Config/ConfigValidation.h"
#include "Private/Text/Format.h"
#include "Private/Text/Utf8.h"

#include <cmath>
#include <map>
#include <string>

#include "Database/ServerName.h"
#include "Host/ArkApi.h"

namespace Lockbury {
namespace {

using json = nlohmann::ordered_json;

// Ten years: far beyond any use, far below where 60 * minutes stops fitting the event's int.
constexpr double kMaxDecayMinutes = 5256000;
constexpr int kMaxWidth = 1000;
// A server id is a key of the journal: short, and plain in any SQL mode.
constexpr std::size_t kMaxServerId = ServerName::kMaxLength;
constexpr const char* kServerIdCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-.";

std::string TypeName(const json& value) { return value.type_name(); }

class Checker {
public:
    explicit Checker(const json& config) : config_(config) {}

    std::vector<ConfigProblem> Run() {
        if (!config_.is_object()) return problems_;  // the load itself says so
        Decay();
        Number("mysqlPort", 0, 65535, false);
        // A time-out of 0 is none at all: a statement could hold the game thread for ever.
        Number("queryTimeout", 1, 3600, true);
        Number("reconnectTimeout", 1, 3600, true);
        Number("reconnectInterval", 0, 86400, true);
        // A wrong number would prune the move log of every server sharing the database.
        Number("logDays", 0, 36500, true);
        Number("commandCoolDown", 0, 2147483647, false);
        Number("PVPVECooldown", 0, 2147483647, false);
        Number("radius", 0, 2147483647, false);
        if (!config_.contains("nearTransmiterPoints")) {
            Add("nearTransmiterPoints", "missing: the load command cannot run without it");
        } else {
            Number("nearTransmiterPoints", -2147483648.0, 2147483647, false);
        }
        for (const char* list : {"validTransmitter", "blocked", "resources"}) TextList(list);
        CrashSafety();
        StoreThread();
        Commands();
        Messages();
        return std::move(problems_);
    }

private:
    void Add(std::string path, std::string what, bool stopsLoad = false) {
        problems_.push_back({std::move(path), std::move(what), stopsLoad});
    }

    // A number (true/false count as 1/0, a fraction is cut) within [least, most].
    void Number(const char* key, double least, double most, bool stopsLoad) {
        if (!config_.contains(key)) return;
        const json& value = config_.at(key);
        const std::string range = Format("a whole number from {} to {}", least, most);
        if (!value.is_number() && !value.is_boolean()) {
            Add(key, "must be " + range + ", not " + TypeName(value), stopsLoad);
            return;
        }
        const double number = value.is_boolean() ? (value.get<bool>() ? 1 : 0) : value.get<double>();
        if (!std::isfinite(number) || std::trunc(number) < least || std::trunc(number) > most) {
            Add(key, "must be " + range + ", not " + value.dump() + (stopsLoad ? "; the plugin does not load" : ""),
                stopsLoad);
        }
    }

    void Decay() {
        if (!config_.contains("decay")) return;  // the store reports it, and makes no event
        const json& value = config_.at("decay");
        const double number = value.is_number() ? value.get<double>() : value.is_boolean() ? value.get<bool>() : -1;
        if ((value.is_number() || value.is_boolean()) && std::isfinite(number) && std::trunc(number) >= 1 &&
            std::trunc(number) <= kMaxDecayMinutes)
            return;
        // The event would delete every vault at its next run: the load stops before it is made.
        Add("decay",
            Format("must be a number of minutes from 1 to {}, not {}; the plugin does not load, so the decay "
                   "event of the database is left as it is",
                   kMaxDecayMinutes, value.dump()),
            true);
    }

    // Whether moves can be undone after a crash: a value that cannot be read as the administrator
    // meant it stops the load rather than leave vaults unprotected.
    void CrashSafety() {
        bool on = false;
        if (config_.contains("crashSafe")) {
            const json& value = config_.at("crashSafe");
            if (!value.is_boolean()) {
                Add("crashSafe", "must be true or false, not " + TypeName(value) + "; the plugin does not load", true);
                return;
            }
            on = value.get<bool>();
        }
        if (!config_.contains("serverId") ||
            (config_.at("serverId").is_string() && config_.at("serverId").get<std::string>().empty())) {
            if (on) Add("serverId", "is required when crashSafe is true; the plugin does not load", true);
            return;
        }
        const json& id = config_.at("serverId");
        std::string why;
        if (!id.is_string()) {
            why = "must be a text, not " + TypeName(id);
        } else if (const std::string text = id.get<std::string>(); text.size() > kMaxServerId) {
            why = Format("must be at most {} characters, not {}", kMaxServerId, text.size());
        } else if (text.find_first_not_of(kServerIdCharacters) != std::string::npos) {
            why = "may hold only letters, digits, '_', '-' and '.'";
        }
        if (!why.empty()) Add("serverId", why + (on ? "; the plugin does not load" : ""), on);
    }

    // A value that is not a boolean keeps the store on the game thread, as before the key existed.
    void StoreThread() {
        if (!config_.contains("storeThread") || config_.at("storeThread").is_boolean()) return;
        Add("storeThread",
            "must be true or false, not " + TypeName(config_.at("storeThread")) + "; the store runs on the game thread");
    }

    void TextList(const char* key) {
        if (!config_.contains(key)) return;
        const json& list = config_.at(key);
        if (!list.is_array()) {
            Add(key, "must be a list of texts, not " + TypeName(list));
            return;
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string path = Format("{}[{}]", key, i);
            if (!list[i].is_string()) {
                Add(path, "must be a text, not " + TypeName(list[i]));
            } else if (list[i].get<std::string>().empty()) {
                Add(path, "is empty and never matches");
            }
        }
    }

    static std::string AsciiLower(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }

    void Commands() {
        if (!config_.contains("commands") || !config_.at("commands").is_object()) return;  // the load stops on it
        // The host refuses a chat command whose text matches another ignoring case.
        std::map<std::string, std::string> texts;  // command text in lower case -> key that has it
        for (const char* key : {"saveVault", "loadVault", "checkcd", "listVault"}) {
            const std::string base = std::string("commands.") + key;
            if (!config_["commands"].contains(key) || !config_["commands"][key].is_object()) continue;
            const json& entry = config_["commands"][key];
            if (entry.contains("command") && entry["command"].is_string()) {
                const std::string text = entry["command"].get<std::string>();
                if (text.empty()) {
                    Add(base + ".command", "is empty: no chat line can run it");
                } else if (text.find_first_of(std::string(" \t\r\n\0", 5)) != std::string::npos ||
                           std::any_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
                    Add(base + ".command", "holds a blank or a control character: no chat line can run it");
                } else if (const auto [at, added] = texts.emplace(AsciiLower(text), key); !added) {
                    Add(base + ".command", "\"" + text + "\" is also the text of commands." + at->second +
                                               ".command: only one of them can be registered");
                }
            }
            if (entry.contains("requiredPermission") && !entry["requiredPermission"].is_string())
                Add(base + ".requiredPermission", "must be a text, not " + TypeName(entry["requiredPermission"]));
            if (entry.contains("requireNearTransmiter") && !entry["requireNearTransmiter"].is_boolean())
                Add(base + ".requireNearTransmiter",
                    "must be true or false, not " + TypeName(entry["requireNearTransmiter"]));
        }
    }

    template <typename... Args>
    void Template(const char* key, Args&&... values) {
        const json& messages = config_["messages"];
        if (!messages.contains(key)) return;
        const std::string path = std::string("messages.") + key;
        if (!messages[key].is_string()) {
            Add(path, "must be a text, not " + TypeName(messages[key]));
            return;
        }
        // Checked as it is sent, through the game's text, which ends at a NUL character.
        const std::string text = Text::FromUtf8(messages[key].get<std::string>()).ToString();
        if (std::string unsafe = UnsafeTemplate(text); !unsafe.empty()) {
            Add(path, unsafe + "; it is sent as it stands");
            return;
        }
        try {
            (void)Format((text), std::forward<Args>(values)...);
        } catch (const std::exception& error) {
            Add(path, Format("cannot be filled with its {} value(s): {}; it is sent as it stands", sizeof...(Args),
                             error.what()));
        }
    }

    void Messages() {
        if (!config_.contains("messages")) {
            Add("messages", "missing: players are told nothing");
            return;
        }
        if (!config_.at("messages").is_object()) {
            Add("messages", "must be an object of texts, not " + TypeName(config_.at("messages")));
            return;
        }
        const FString text(L"x");
        Template("sender");
        Template("coolDown", 1);
        Template("noPermission");
        Template("mustBeNearTransmiter");
        Template("wrongSyntax", text);
        Template("noPoints");
        Template("points", 1);
        Template("maximumReached", 1);
        Template("vaultNotFound");
        Template("inventoryFull");
        Template("vaultList", text, std::string("1"), std::string("00:00:00"));
        Template("noVault");
        Template("PVPVECooldown", std::int64_t{1});
        Template("storeUnavailable");
        Template("moveInFlight");
    }

    const json& config_;
    std::vector<ConfigProblem> problems_;
};

}  // namespace

std::string UnsafeTemplate(const std::string& text) {
    // Every number inside a replacement field is a width, precision or index: none sane is
    // large. A field nested in a field takes its width from the value sent (a price, seconds
    // left), which no check at load can bound.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '{') continue;
        if (i + 1 < text.size() && text[i + 1] == '{') {
            ++i;
            continue;
        }
        long long number = 0;
        for (++i; i < text.size() && text[i] != '}'; ++i) {
            if (text[i] == '{') return "takes a width or precision from the value it is sent with";
            if (text[i] >= '0' && text[i] <= '9') {
                number = std::min<long long>(number * 10 + (text[i] - '0'), 1LL << 40);
                if (number > kMaxWidth) return Format("has a width or precision above {}", kMaxWidth);
            } else {
                number = 0;
            }
        }
    }
    return {};
}

std::vector<ConfigProblem> ValidateConfig(const json& config) { return Checker(config).Run(); }

}  // namespace Lockbury
