#include "Private/Plugin/Plugin.h"

#include <fmt/format.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Database/MysqlDB.h"
#include "Private/Combat/DamageHook.h"
#include "Private/Config/Config.h"
#include "Private/Config/ConfigValidation.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/CrashSafety/Hooks.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Vault/Store.h"

namespace Lockbury {

namespace {

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
        throw std::runtime_error(
            fmt::format("config.json: the plugin is not loaded: {} of the problems above could "
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
    settings.decayMinutes = [] { return ConfigInt("decay"); };
    settings.log = GetLog();
    settings.journal = CrashSafeConfigured();
    settings.serverId = ServerIdConfigured();
    settings.logServer = MoveLogServerName();
    settings.logDays = ConfigInt("logDays", 30);
    database() = std::make_unique<MySql>(host, user, password, name, port, settings);
}

// Everything the plugin registers with the host, in the order Load registers it. Unload removes
// what was registered, from the record Load keeps, and nothing else.
struct HookEntry {
    const char* name;
    const char* signature;
    void* detour;
    void** original;
    bool crashSafeOnly;  // set only with "crashSafe" on
};
// The game name's entry gives the name and the signature; a detour of any other type does not build.
template <typename R, typename... Args>
HookEntry Hook(const ArkApi::GameFunction<R(Args...)>& function, R (*detour)(Args...), R (**original)(Args...),
               bool crashSafeOnly = false) {
    return {function.name, function.Signature(), reinterpret_cast<void*>(detour), reinterpret_cast<void**>(original),
            crashSafeOnly};
}
struct ConsoleEntry {
    const char* name;
    ArkApi::ConsoleCallback handler;
};
struct RconEntry {
    const char* name;
    ArkApi::RconCallback handler;
};
struct ChatEntry {
    const char* key;  // its text is the configured "commands".key."command"
    ArkApi::ChatCallback handler;
};
const HookEntry kHooks[] = {
    Hook(GameNames::APrimalCharacter_TakeDamage, &Hook_APrimalCharacter_TakeDamage, &APrimalCharacter_TakeDamage_game),
    Hook(GameNames::AShooterGameMode_SaveWorld, &CrashSafety::Hook_AShooterGameMode_SaveWorld,
         &CrashSafety::AShooterGameMode_SaveWorld_game, true),
    Hook(GameNames::AShooterGameMode_HandleNewPlayer_Implementation,
         &CrashSafety::Hook_AShooterGameMode_HandleNewPlayer_Implementation,
         &CrashSafety::AShooterGameMode_HandleNewPlayer_Implementation_game, true)};
const ConsoleEntry kConsoleCommands[] = {{"makekit", &MakeKit},          {"getkit", &GetKit},
                                         {"dumps", &DumpStructures},     {"dumpi", &DumpItems},
                                         {"vaults", &VaultsConsole},     {"vaultitems", &VaultItemsConsole},
                                         {"vaultlog", &VaultLogConsole}, {"vaulttake", &VaultTakeConsole}};
const RconEntry kRconCommands[] = {{"vaults", &VaultsRcon}, {"vaultitems", &VaultItemsRcon}, {"vaultlog", &VaultLogRcon}};
const ChatEntry kChatCommands[] = {{"saveVault", &Commands::SaveVault},
                                   {"loadVault", &Commands::LoadVault},
                                   {"checkcd", &CheckCd},
                                   {"listVault", &Commands::ListVault}};

struct Registered {
    std::vector<const HookEntry*> hooks;
    std::vector<FString> chat, console, rcon;
};
Registered& registered() {
    static Registered record;
    return record;
}

void Register() {
    auto& commands = ArkApi::GetCommands();
    Registered& record = registered();
    const bool crashSafe = CrashSafeConfigured();
    for (const HookEntry& entry : kHooks) {
        if (entry.crashSafeOnly && !crashSafe) continue;
        if (ArkApi::GetHooks().SetHookRaw(entry.name, entry.signature, entry.detour, entry.original))
            record.hooks.push_back(&entry);
    }
    for (const ConsoleEntry& entry : kConsoleCommands) {
        FString name(entry.name);
        if (commands.AddConsoleCommand(name, entry.handler)) record.console.push_back(std::move(name));
    }
    for (const RconEntry& entry : kRconCommands) {
        FString name(entry.name);
        if (commands.AddRconCommand(name, entry.handler)) record.rcon.push_back(std::move(name));
    }
    // Each name is looked up just before its registration, so a faulty entry stops the
    // registrations there and leaves the earlier ones in place.
    for (const ChatEntry& entry : kChatCommands) {
        FString text = GetCommandName(entry.key);
        if (commands.AddChatCommand(text, entry.handler)) record.chat.push_back(std::move(text));
    }
}

void LogLoadError(const char* what) noexcept {
    try {
        if (auto& log = GetLog()) log->error("{}", what);
    } catch (...) {
    }
}

}  // namespace

void Load() {
    try {
        MakeLog();
        ReadCheckedConfig();
        OpenStore();
        // Before any command or hook can run: the vault commands wait for the recovery.
        CrashSafety::Start();
        Register();
    } catch (const std::exception& e) {
        LogLoadError(e.what());
    } catch (...) {
        LogLoadError("unknown error (not a std::exception) while loading");
    }
}

void Unload() {
    auto& commands = ArkApi::GetCommands();
    Registered& record = registered();
    CrashSafety::Stop();
    for (const HookEntry* entry : record.hooks) ArkApi::GetHooks().DisableHookRaw(entry->name, entry->detour);
    for (const FString& text : record.chat) commands.RemoveChatCommand(text);
    for (const FString& name : record.console) commands.RemoveConsoleCommand(name);
    for (const FString& name : record.rcon) commands.RemoveRconCommand(name);
    record = Registered{};
}

}  // namespace Lockbury
