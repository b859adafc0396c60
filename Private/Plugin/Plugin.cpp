#include "Private/Plugin/Plugin.h"
#include "Private/Text/Format.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "Database/MysqlDB.h"
#include "Private/Combat/DamageHook.h"
#include "Private/Config/Config.h"
#include "Private/Config/ConfigValidation.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/CrashSafety/Hooks.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Vault/StoreWorker.h"

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
        if (auto& log = GetLog()) log->error("{}", problem.Line().c_str());
        stopping += problem.stopsLoad;
    }
    if (stopping > 0) {
        throw std::runtime_error(
            Format("config.json: the plugin is not loaded: {} of the problems above could "
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
    storeWorker() = std::make_unique<StoreWorker>(std::make_unique<MySql>(host, user, password, name, port, settings),
                                                  StoreThreadConfigured());
}

constexpr const wchar_t* kStoreTickId = L"Lockbury.StoreWorker";

// With a store thread, the outcomes of moves are applied on the game thread once a frame.
void StartStoreTicks() {
    if (!storeWorker() || !storeWorker()->Threaded()) return;
    ArkApi::GetCommands().AddOnTickCallback(kStoreTickId, [](float) {
        Guarded("Private/Plugin", "Lockbury::StoreTick", [] {
            if (storeWorker()) storeWorker()->Tick();
        });
    });
}

// Everything the plugin registers with the host, in the order Load registers it. Unload removes
// what was registered, from the record Load keeps, and nothing else.
struct HookEntry {
    const char* name;  // the game's own name: the framework patches whatever a wrong one names
    LPVOID detour;
    bool (*set)(const char* name, LPVOID detour);
    bool (*wanted)();  // null: always set
};
// Sets the hook with the variable that receives the game's own function.
template <auto* Original>
bool SetHookTo(const char* name, LPVOID detour) {
    return ArkApi::GetHooks().SetHook(name, detour, Original);
}
template <auto* Original, typename Detour>
HookEntry Hook(const char* name, Detour* detour, bool (*wanted)() = nullptr) {
    static_assert(std::is_same_v<Detour*, std::remove_pointer_t<decltype(Original)>>,
                  "a detour has the type of the function it replaces");
    return {name, reinterpret_cast<LPVOID>(detour), &SetHookTo<Original>, wanted};
}
// The world save waits for the moves in flight (a store thread), and the journal takes part in it.
bool WorldSaveHookWanted() { return CrashSafeConfigured() || StoreThreadConfigured(); }
using ConsoleHandler = void (*)(APlayerController*, FString*, bool);
using RconHandler = void (*)(RCONClientConnection*, RCONPacket*, UWorld*);
using ChatHandler = void (*)(AShooterPlayerController*, FString*, EChatSendMode::Type);
struct ConsoleEntry {
    const char* name;
    ConsoleHandler handler;
};
struct RconEntry {
    const char* name;
    RconHandler handler;
};
struct ChatEntry {
    const char* key;  // its text is the configured "commands".key."command"
    ChatHandler handler;
};
const HookEntry kHooks[] = {
    Hook<&APrimalCharacter_TakeDamage_game>("APrimalCharacter.TakeDamage", &Hook_APrimalCharacter_TakeDamage),
    Hook<&CrashSafety::AShooterGameMode_SaveWorld_game>(
        "AShooterGameMode.SaveWorld", &CrashSafety::Hook_AShooterGameMode_SaveWorld, &WorldSaveHookWanted),
    Hook<&CrashSafety::AShooterGameMode_HandleNewPlayer_Implementation_game>(
        "AShooterGameMode.HandleNewPlayer_Implementation",
        &CrashSafety::Hook_AShooterGameMode_HandleNewPlayer_Implementation, &CrashSafeConfigured)};
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
    for (const HookEntry& entry : kHooks) {
        if (entry.wanted && !entry.wanted()) continue;
        if (entry.set(entry.name, entry.detour)) record.hooks.push_back(&entry);
    }
    for (const ConsoleEntry& entry : kConsoleCommands) {
        FString name(entry.name);
        commands.AddConsoleCommand(name, entry.handler);
        record.console.push_back(std::move(name));
    }
    for (const RconEntry& entry : kRconCommands) {
        FString name(entry.name);
        commands.AddRconCommand(name, entry.handler);
        record.rcon.push_back(std::move(name));
    }
    // Each name is looked up just before its registration, so a faulty entry stops the
    // registrations there and leaves the earlier ones in place.
    for (const ChatEntry& entry : kChatCommands) {
        FString text = GetCommandName(entry.key);
        commands.AddChatCommand(text, entry.handler);
        record.chat.push_back(std::move(text));
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
        StartStoreTicks();
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
    // The moves in flight end first, as at a server's shutdown: their outcomes still reach the
    // players, and crash safety's last world save then covers them.
    StoreWorker* worker = storeWorker().get();
    if (worker) worker->Drain();
    CrashSafety::Stop();
    if (worker && worker->Threaded()) {
        worker->Stop();
        commands.RemoveOnTickCallback(kStoreTickId);
    }
    for (const HookEntry* entry : record.hooks) ArkApi::GetHooks().DisableHook(entry->name, entry->detour);
    for (const FString& text : record.chat) commands.RemoveChatCommand(text);
    for (const FString& name : record.console) commands.RemoveConsoleCommand(name);
    for (const FString& name : record.rcon) commands.RemoveRconCommand(name);
    record = Registered{};
}

}  // namespace Lockbury
