// config.json as an administrator might write it, through what the plugin does with it: read it,
// check it, look up a command, a list and a number, and fill the messages players are sent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "HostRuntime/HostState.h"
#include "Private/Config/Config.h"
#include "Private/Config/ConfigValidation.h"
#include "Private/Config/Messages.h"
#include "Private/Plugin/Log.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

using Lockbury::ConfigProblem;

// The widest replacement field UnsafeTemplate lets through.
constexpr std::size_t kWidestField = 1000;

bool HasProblemAt(const std::vector<ConfigProblem>& problems, const std::string& path) {
    return std::any_of(problems.begin(), problems.end(), [&](const ConfigProblem& p) { return p.path == path; });
}

bool LoggedUnfilled(const std::string& key) {
    const std::string mark = "config.json: messages." + key + ": ";
    const auto& lines = HostRuntime::LogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(mark) != line.npos; });
}

bool IsTextMessage(const std::string& key) {
    const auto& config = Lockbury::Config();
    return config.is_object() && config.contains("messages") && config.at("messages").is_object() &&
           config.at("messages").contains(key) && config.at("messages").at(key).is_string();
}

// Sending never fails and never stalls: a template either fills, within the room its fields can
// take up, or goes out unchanged with a log line. The load-time check must have predicted which.
template <typename... Args>
void CheckMessage(const std::vector<ConfigProblem>& validation, const std::string& key, Args&&... args) {
    HostRuntime::ClearLogLines();
    const FString format = Lockbury::MessageTemplate(key);
    const FString filled = Lockbury::FillMessage(key, format, std::forward<Args>(args)...);
    const bool unfilled = LoggedUnfilled(key);
    if (unfilled) {
        FUZZ_REQUIRE_WITH(Fuzz::Units(filled) == Fuzz::Units(format),
                          "messages." + key + " was logged unfilled but sent changed");
    } else {
        const std::wstring_view units = Fuzz::Units(format);
        const auto fields = static_cast<std::size_t>(std::count(units.begin(), units.end(), L'{'));
        // A fill character may be a surrogate pair: two units per column.
        const std::size_t ceiling = static_cast<std::size_t>(format.Len()) + fields * (2 * kWidestField + 64);
        FUZZ_REQUIRE_WITH(
            static_cast<std::size_t>(filled.Len()) <= ceiling,
            "messages." + key + " grew to " + std::to_string(filled.Len()) + " units from \"" + format.ToString() + "\"");
    }
    if (IsTextMessage(key)) {
        const bool reported = HasProblemAt(validation, "messages." + key);
        FUZZ_REQUIRE_WITH(reported == unfilled, "messages." + key + " \"" + format.ToString() + "\": the check " +
                                                    (reported ? "reported it" : "passed it") + " but sending " +
                                                    (unfilled ? "could not fill it" : "filled it"));
    }
}

// A time-out the check let through is one the store can use: a whole number in its range.
void CheckTimeOut(const char* key, int fallback, int least, int most) {
    const int value = Lockbury::ConfigInt(key, fallback);
    FUZZ_REQUIRE_WITH(value >= least && value <= most,
                      std::string(key) + " passed the check but reads as " + std::to_string(value));
}

// A number the commands read from the configuration, as they read it; nothing when they could not.
std::optional<int> Configured(const char* key) {
    try {
        return Lockbury::ConfigInt(key);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

template <typename Lookup>
void MayRefuse(Lookup&& lookup) {
    try {
        lookup();
    } catch (const std::exception&) {
        // A configuration error: the plugin logs it and that command or list does not work.
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Lockbury::MakeLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Lockbury::Config() = nullptr;  // nothing left over from the input before
    std::vector<ConfigProblem> problems;
    try {
        problems = Lockbury::ParseConfig(std::string(Fuzz::AsText(data, size)));
    } catch (const std::exception&) {
        return 0;  // unreadable: the plugin does not load, nothing else runs
    }
    const std::vector<ConfigProblem> validation = Lockbury::ValidateConfig(Lockbury::Config());
    problems.insert(problems.end(), validation.begin(), validation.end());
    const bool loads = std::none_of(problems.begin(), problems.end(), [](const ConfigProblem& p) { return p.stopsLoad; });
    for (const ConfigProblem& problem : problems) FUZZ_REQUIRE(!problem.what.empty());

    if (loads && Lockbury::Config().is_object()) {
        CheckTimeOut("queryTimeout", 10, 1, 3600);
        CheckTimeOut("reconnectTimeout", 3, 1, 3600);
        CheckTimeOut("reconnectInterval", 30, 0, 86400);
    }

    MayRefuse([] { (void)Lockbury::GetCommandName("saveVault"); });
    MayRefuse([] { (void)Lockbury::IsBlocked(FString(L"PrimalItemResource_Wood_C_1")); });
    MayRefuse([] { (void)Lockbury::ConfigInt("commandCoolDown", 30); });

    CheckMessage(validation, "points", 5);
    CheckMessage(validation, "wrongSyntax", FString(L"/savevault"));
    CheckMessage(validation, "noVault");
    // The values the commands send come from the configuration too: the price of a load (sent
    // when at least 1), and cooldowns whose longest wait is the configured one. Any of them may
    // be large; 100000 is one that is still quick to write out.
    constexpr int kLargeValue = 100000;
    CheckMessage(validation, "points", kLargeValue);
    CheckMessage(validation, "coolDown", kLargeValue);
    CheckMessage(validation, "PVPVECooldown", std::int64_t{kLargeValue});
    if (const auto price = Configured("nearTransmiterPoints"); price && *price >= 1) {
        CheckMessage(validation, "points", *price);
    }
    if (const auto cooldown = Configured("commandCoolDown"); cooldown && *cooldown >= 1) {
        CheckMessage(validation, "coolDown", *cooldown);
    }
    if (const auto cooldown = Configured("PVPVECooldown"); cooldown && *cooldown >= 1) {
        CheckMessage(validation, "PVPVECooldown", std::int64_t{*cooldown});
    }
    HostRuntime::ClearLogLines();  // the capture sink keeps every line; let none pile up
    return 0;
}
