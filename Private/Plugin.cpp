#include "Private/Plugin.h"

#include <fmt/format.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Database/MysqlDB.h"
#include "Private/Combat/DamageHook.h"
#include "Private/Config.h"
#include "Private/ConfigValidation.h"
#include "Private/Handlers.h"
#include "Private/Log.h"
#include "Private/Store.h"

namespace Lockbury {

namespace {

constexpr const char* kDamageFunction = "APrimalCharacter.TakeDamage";

// A time-out of the store, in seconds (its range was checked with the rest of the configuration).
std::uint32_t Seconds(const char* key, int fallback) { return static_cast<std::uint32_t>(ConfigInt(key, fallback)); }

// Reads and checks the configuration. Every problem is one error line; one that could destroy
// vaults or crash the server stops the load here, before the store touches the database.
void ReadCheckedConfig() {
    std::vector<ConfigProblem> problems = ReadConfig();
    for (ConfigProblem& problem : ValidateConfig(Config())) problems.push_back(std::move(problem));
    int stopping = 0;
    for (const ConfigProblem& problem : problems) {
        if (auto& log = GetLog()) log->error("{}", problem.Line());
        stopping += problem.stopsLoad;
    }
    if (stopping > 0) {
        throw std::runtime_error(fmt::format("config.json: the plugin is not loaded: {} of the problems above could "
                                             "destroy vaults or stall the server",
                                             stopping));
    }
}

void OpenStore() {
    auto& db = Config()["Database"];
    const int port = ConfigInt("mysqlPort", 3306);  // top level, beside "Database"
    const std::string name = db.value("mysqlDB", std::string());
    const std::string password = db.value("mysqlPass", std::string());
    const std::string user = db.value("mysqlUser", std::string());
    const std::string host = db.value("mysqlHost", std::string());
    StoreSettings settings;
    settings.queryTimeout = Seconds("queryTimeout", 10);
    settings.reconnectTimeout = Seconds("reconnectTimeout", 3);
    settings.reconnectInterval = Seconds("reconnectInterval", 30);
    database() = std::make_unique<MySql>(host, user, password, name, port, settings);
}

void Register() {
    auto& commands = ArkApi::GetCommands();
    ArkApi::GetHooks().SetHook(kDamageFunction, &Hook_APrimalCharacter_TakeDamage, &APrimalCharacter_TakeDamage_game);
    commands.AddConsoleCommand(FString("makekit"), &MakeKit);
    commands.AddConsoleCommand(FString("getkit"), &GetKit);
    commands.AddConsoleCommand(FString("dumps"), &DumpStructures);
    commands.AddConsoleCommand(FString("dumpi"), &DumpItems);
    // Each name is looked up just before its registration, so a faulty entry stops the
    // registrations there and leaves the earlier ones in place.
    commands.AddChatCommand(GetCommandName("saveVault"), &Commands::SaveVault);
    commands.AddChatCommand(GetCommandName("loadVault"), &Commands::LoadVault);
    commands.AddChatCommand(GetCommandName("checkcd"), &CheckCd);
    commands.AddChatCommand(GetCommandName("listVault"), &Commands::ListVault);
}

void LogLoadError(const char* what) noexcept {
    try {
        if (auto& log = GetLog()) log->error("{}", what);
    } catch (...) {
    }
}

// Runs one removal; a failed name lookup (an entry that was already missing at load, or no
// configuration at all) must not stop the removals after it. The failure was logged at load.
template <typename Step>
void RemoveQuietly(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

void Load() {
    try {
        MakeLog();
        ReadCheckedConfig();
        OpenStore();
        Register();
    } catch (const std::exception& e) {
        LogLoadError(e.what());
    } catch (...) {
        LogLoadError("unknown error (not a std::exception) while loading");
    }
}

void Unload() {
    auto& commands = ArkApi::GetCommands();
    RemoveQuietly([] { ArkApi::GetHooks().DisableHook(kDamageFunction, &Hook_APrimalCharacter_TakeDamage); });
    for (const char* key : {"saveVault", "loadVault", "checkcd", "listVault"}) {
        RemoveQuietly([&] { commands.RemoveChatCommand(GetCommandName(key)); });
    }
    for (const char* name : {"makekit", "getkit", "dumps", "dumpi"}) {
        RemoveQuietly([&] { commands.RemoveConsoleCommand(FString(name)); });
    }
}

}  // namespace Lockbury
