// The simulated dedicated server: the world, its registrations with the host runtime, the
// sibling plugins' stand-ins and the plugin loader, driven as players and administrators would.
#include "Sim/Server.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "HostRuntime/Commands.h"
#include "HostRuntime/HostState.h"
#include "HostRuntime/Registry.h"
#include "Sim/GameText.h"
#include "Sim/Loader/PluginLibrary.h"
#include "Sim/RconClient.h"
#include "Sim/Siblings/SiblingStandIns.h"
#include "Sim/World/GameFunctions.h"
#include "Sim/World/World.h"
#include "Sim/World/WorldSave.h"

namespace Sim {

struct Server::Parts {
    ServerOptions options;
    std::vector<std::string> gameNames;
    SiblingStandIns siblings;
    std::unique_ptr<WorldSaves> saves;
    std::unique_ptr<PluginLibrary> plugin;
    std::filesystem::path pluginPath;
    RconClient rcon;
    std::int64_t savedAt = 0;  // LastSaveWorldTime of the world file at the start; 0 without one
    bool started = false;
    std::int64_t lastFrame = 0, lastTimer = 0;  // wall-clock seconds of the game loop's last frame and timer run
};

namespace {

std::string FolderText(const std::filesystem::path& dir) {
    const std::u8string utf8 = dir.u8string();  // the host's texts are UTF-8 (string() is ANSI on Windows)
    std::string text(utf8.begin(), utf8.end());
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

PlayerController& ControllerOf(World& world, Player& player) {
    return world.As<PlayerController>(player.Controller(), "the player's controller");
}

}  // namespace

Server::Server(const std::filesystem::path& serverDir, ServerOptions options) : world_(std::make_unique<World>(serverDir)) {
    auto parts = std::make_unique<Parts>();
    parts->options = options;
    // Read (and refused, when damaged) before anything is registered, so a failed start leaves
    // nothing behind. The world is put together now; the plugin sees none of it before the start.
    const std::filesystem::path file = WorldFilePath(serverDir);
    std::optional<SavedWorld> saved = ReadWorldFile(file);
    parts->saves = std::make_unique<WorldSaves>(*world_, parts->siblings, file);
    if (saved) {
        parts->saves->Restore(*saved);
        parts->savedAt = TicksFromUnixSeconds(saved->lastSaveWorldTime);
    }
    parts->gameNames = RegisterGameFunctions();
    parts->gameNames.push_back(RconClient::RegisterGameFunction());
    parts_ = std::move(parts);
    HostRuntime::SetCurrentDir(FolderText(serverDir));
    HostRuntime::SetClockOffset(0);
    HostRuntime::SetFrozenClock(0);
    HostRuntime::ClearLogLines();
    HostRuntime::ClearEscapedErrors();
}

Server::~Server() {
    if (parts_->plugin) {
        try {
            parts_->plugin->Unload();
        } catch (const std::exception&) {
            // Nothing to do about it at the end of the server's life.
        }
        parts_->plugin.reset();
    }
    HostRuntime::SetLogEcho(nullptr);
    HostRuntime::SetFrozenClock(0);
    UnregisterGameFunctions(parts_->gameNames);
    parts_.reset();
}

void Server::LoadPlugin(const std::filesystem::path& library) {
    if (parts_->plugin) throw std::logic_error("a plugin is loaded already: " + parts_->plugin->Path().string());
    if (parts_->started) {
        parts_->plugin = std::make_unique<PluginLibrary>(library);
        parts_->pluginPath = library;
        return;
    }
    // The engine's start: the framework loads every plugin folder in the order of their names,
    // before the world exists. A library that cannot be loaded leaves the server unstarted.
    Parts& parts = *parts_;
    parts.siblings.LoadWanted(PluginLibrary::NameOf(library), true);
    parts.plugin = std::make_unique<PluginLibrary>(library);
    parts.pluginPath = library;
    parts.siblings.LoadWanted(parts.plugin->Name(), false);
    StartGame();
}

void Server::StartGame() {
    Parts& parts = *parts_;
    parts.siblings.LoadWanted("", false);  // a start without a plugin still loads them
    parts.started = true;
    world_->InitWorld();
    world_->InitGame(parts.options.restoreSaveTime ? parts.savedAt : 0);
    // The game's first second passes before anyone can join.
    parts.lastFrame = parts.lastTimer = HostRuntime::WallClock();
    HostRuntime::RunTickCallbacks(0.0f);
    HostRuntime::RunTimerCallbacks();
}

void Server::Start() { Started(); }

void Server::Frame() { Step(); }

World& Server::Started() {
    if (!parts_->started) StartGame();
    return *world_;
}

World& Server::Step() {
    Started();
    RunFrame();
    return *world_;
}

void Server::RunFrame() {
    Parts& parts = *parts_;
    const std::int64_t now = HostRuntime::WallClock();
    HostRuntime::RunTickCallbacks(static_cast<float>(std::max<std::int64_t>(now - parts.lastFrame, 0)));
    parts.lastFrame = now;
    // A clock set back runs no timer until it passes the last run again.
    if (now <= parts.lastTimer) return;
    const std::int64_t seconds = std::min<std::int64_t>(now - parts.lastTimer, kMaxTimerCatchUp);
    parts.lastTimer = now;
    for (std::int64_t i = 0; i < seconds; ++i) HostRuntime::RunTimerCallbacks();
}

void Server::UnloadPlugin() {
    if (!parts_->plugin) throw std::logic_error("no plugin is loaded");
    auto plugin = std::move(parts_->plugin);
    plugin->Unload();
}

void Server::ReloadPlugin() {
    const std::filesystem::path path = parts_->plugin ? parts_->plugin->Path() : parts_->pluginPath;
    if (path.empty()) throw std::logic_error("no plugin was loaded before");
    if (parts_->plugin) UnloadPlugin();
    LoadPlugin(path);
}

bool Server::PluginLoaded() const { return parts_->plugin != nullptr; }

std::vector<std::string> Server::ChatCommands() const { return HostRuntime::ChatCommandNames(); }
std::vector<std::string> Server::ConsoleCommands() const { return HostRuntime::ConsoleCommandNames(); }
std::vector<std::string> Server::RconCommands() const { return HostRuntime::RconCommandNames(); }
std::vector<std::string> Server::Hooks() const { return HostRuntime::ActiveHooks(); }
std::vector<std::string> Server::TickCallbacks() const { return HostRuntime::TickCallbackIds(); }
std::vector<std::string> Server::TimerCallbacks() const { return HostRuntime::TimerCallbackIds(); }

namespace {

// A game function called by the game itself: what escapes a hook on it is the plugin's fault.
template <typename Name, typename Call>
void AsTheGame(const Name& entry, Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        HostRuntime::RecordEscapedError(std::string(entry.name) + ": " + e.what());
    } catch (...) {
        HostRuntime::RecordEscapedError(std::string(entry.name) + ": an error that is not a std::exception");
    }
}

AShooterGameMode* GameModeHandle(World& world) {
    return reinterpret_cast<AShooterGameMode*>(static_cast<SimObject*>(&world.GameMode()));
}

}  // namespace

Player& Server::Join(const std::string& name, std::uint64_t steamId) {
    World& world = Step();
    Player& player = world.Join(name, steamId);
    AsTheGame(GameNames::AShooterGameMode_HandleNewPlayer_Implementation, [&] {
        GameModeHandle(world)->HandleNewPlayer_Implementation(player.Controller(), world.PlayerDataOf(steamId),
                                                              player.Character(), true);
    });
    return player;
}

void Server::SaveWorld() {
    World& world = Step();
    WorldSaves& saves = *parts_->saves;
    const std::uint64_t attempts = saves.Attempts(), completed = saves.Completed();
    AsTheGame(GameNames::AShooterGameMode_SaveWorld, [&] { GameModeHandle(world)->SaveWorld(); });
    if (saves.Attempts() == attempts)
        throw std::runtime_error(std::string("a hook on ") + GameNames::AShooterGameMode_SaveWorld.name +
                                 " did not call the game's save: the world was not saved");
    if (saves.Completed() == completed) throw std::runtime_error("the world save failed: " + saves.LastError());
}

std::int64_t Server::LastSaveWorldTime() { return Started().GameMode().lastSaveWorldTime; }
std::filesystem::path Server::WorldFile() const { return parts_->saves->File(); }

void Server::Shutdown() {
    std::exception_ptr failed;
    try {
        SaveWorld();
    } catch (...) {
        failed = std::current_exception();
    }
    if (PluginLoaded()) UnloadPlugin();
    if (failed) std::rethrow_exception(failed);
}

void Server::OnCrash(std::function<void(const std::string& what)> handler) {
    parts_->saves->SetCrashHandler(std::move(handler));
}

void Server::Crash() { parts_->saves->Crash("the server process ends: no world save, no plugin unload"); }

void Server::CrashInSave(SaveCrash at) {
    World& world = Step();
    WorldSaves& saves = *parts_->saves;
    const std::uint64_t attempts = saves.Attempts();
    saves.CrashInNextSave(at);
    AsTheGame(GameNames::AShooterGameMode_SaveWorld, [&] { GameModeHandle(world)->SaveWorld(); });
    // Only a save that never reached its crash point comes back here.
    saves.Crash(saves.Attempts() == attempts ? "after the world save: a hook did not call the game's save"
                                             : "after a world save that failed: " + saves.LastError());
}
void Server::Leave(const std::string& name) { Step().Leave(name); }

Player& Server::Get(const std::string& name) {
    Player* player = world_->Find(name);
    if (!player) throw std::invalid_argument("no player named " + name);
    return *player;
}

Player* Server::Find(const std::string& name) { return world_->Find(name); }

ItemView Server::Give(Player& player, const ItemSpec& spec) {
    const CatalogEntry* entry = FindClass(spec.className);
    if (!entry || !IsItemKind(entry->info.kind)) throw std::invalid_argument("no item class named " + spec.className);
    Step();
    PlayerController& controller = ControllerOf(*world_, player);
    if (!controller.inventory) throw std::logic_error(player.Name() + " has no inventory");
    Item& item = world_->NewItem(*entry);
    ItemRecord& record = item.record;
    record.quantity = spec.quantity;
    record.slot = spec.slot;
    record.engram = spec.engram;
    record.initial = spec.initial;
    if (spec.durability) record.durability = *spec.durability;
    if (spec.spoilSeconds) {
        record.spoilSeconds = static_cast<float>(*spec.spoilSeconds);
        if (entry->info.kind == ClassInfo::Kind::Food) record.nextSpoilingTime = record.creationTime + *spec.spoilSeconds;
    }
    record.payload = spec.payload;
    record.unserialisable = spec.unserialisable;
    if (!world_->AddToInventory(*controller.inventory, item)) {
        world_->Destroy(&item);
        throw std::logic_error(player.Name() + "'s inventory is full");
    }
    return world_->View(item);
}

std::string Server::Place(const std::string& className, FVector location, const std::string& descriptiveName) {
    const CatalogEntry* entry = FindClass(className);
    if (!entry || IsItemKind(entry->info.kind)) throw std::invalid_argument("no structure class named " + className);
    return world_->ObjectName(Step().Place(*entry, location, descriptiveName));
}

std::string Server::PlaceNonTargetable(const std::string& className, FVector location) {
    return world_->ObjectName(Step().PlaceNonTargetable(className, location));
}

bool Server::Chat(Player& player, const std::string& utf8Text) {
    Step();
    FString line = GameText(utf8Text);
    return HostRuntime::DispatchChat(player.Controller(), &line, EChatSendMode::GlobalChat);
}

bool Server::Console(Player& player, const std::string& utf8Text) {
    Step();
    FString line = GameText(utf8Text);
    return HostRuntime::DispatchConsole(player.Controller(), &line, false);
}

std::vector<std::string> Server::Rcon(const std::string& utf8Line) {
    Step();
    RconClient& client = parts_->rcon;
    RCONPacket packet = client.Command(utf8Line);
    const bool taken = HostRuntime::DispatchRcon(client.Connection(), &packet, ArkApi::GetApiUtils().GetWorld());
    std::vector<std::string> replies = client.TakeReplies();
    if (!taken) {
        const std::string line = packet.Body.ToString();
        const std::size_t start = line.find_first_not_of(' ');
        const std::string word = start == std::string::npos ? "" : line.substr(start, line.find(' ', start) - start);
        replies.push_back("unknown command \"" + word + "\"");
    }
    return replies;
}

namespace {

float TakeDamageByName(Character& victim, float amount, AController* instigator, AActor* causer) {
    FDamageEvent event;
    try {
        return reinterpret_cast<APrimalCharacter*>(static_cast<SimObject*>(&victim))
            ->TakeDamage(amount, &event, instigator, causer);
    } catch (const std::exception& e) {
        HostRuntime::RecordEscapedError(std::string(GameNames::APrimalCharacter_TakeDamage.name) + ": " + e.what());
    } catch (...) {
        HostRuntime::RecordEscapedError(std::string(GameNames::APrimalCharacter_TakeDamage.name) +
                                        ": an error that is not a std::exception");
    }
    return 0.0f;
}

Character& VictimOf(World& world, Player* victim) {
    if (!victim) return world.Creature();
    if (!victim->Character()) throw std::logic_error(victim->Name() + " has no character to hurt");
    return world.As<Character>(victim->Character(), "the victim's character");
}

}  // namespace

float Server::Damage(Player* victim, Player* source, float amount) {
    Character& target = VictimOf(Step(), victim);
    AController* instigator = nullptr;
    AActor* causer = nullptr;
    if (source) {
        instigator = reinterpret_cast<AController*>(source->Controller());
        causer = reinterpret_cast<AActor*>(source->Character());
    } else {
        instigator = reinterpret_cast<AController*>(static_cast<SimObject*>(&world_->CreatureBrain()));
        causer = reinterpret_cast<AActor*>(static_cast<SimObject*>(&world_->Creature()));
    }
    return TakeDamageByName(target, amount, instigator, causer);
}

float Server::DamageFromWorld(Player* victim, float amount) {
    return TakeDamageByName(VictimOf(Step(), victim), amount, nullptr, nullptr);
}

AController* Server::CreatureController() {
    return reinterpret_cast<AController*>(static_cast<SimObject*>(&world_->CreatureBrain()));
}

APrimalCharacter* Server::CreatureCharacter() {
    return reinterpret_cast<APrimalCharacter*>(static_cast<SimObject*>(&world_->Creature()));
}

int Server::GameTakeDamageCalls() const { return world_->DamageCalls(); }
std::optional<DamageCall> Server::LastGameTakeDamage() const { return world_->LastDamage(); }

void Server::ShiftClock(std::int64_t seconds) {
    // Far enough for any decay or cooldown, and far from where the plugin's time could overflow.
    const std::int64_t offset = HostRuntime::ClockOffset();
    if (seconds > kMaxClockOffset - offset || seconds < -kMaxClockOffset - offset)
        throw std::out_of_range("the clock can be shifted at most " + std::to_string(kMaxClockOffset) +
                                " s (100 years) from the real clock");
    HostRuntime::SetClockOffset(offset + seconds);
}

// The real clock, read past the C library's time(), which a test program's link may send to the
// host's shifted clock.
void Server::FreezeClock() {
    HostRuntime::SetFrozenClock(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}
std::int64_t Server::ClockOffset() const { return HostRuntime::ClockOffset(); }
void Server::Wait(std::int64_t seconds) {
    if (seconds < 0) throw std::invalid_argument("a wait takes seconds from 0");
    ShiftClock(seconds);
    AdvanceGameTime(static_cast<double>(seconds));
    Step();
}

void Server::AdvanceGameTime(double seconds) { world_->time += seconds; }
double Server::GameTime() const { return world_->time; }

void Server::Grant(std::uint64_t steamId, const std::string& permission) { parts_->siblings.Grant(steamId, permission); }
void Server::Revoke(std::uint64_t steamId, const std::string& permission) { parts_->siblings.Revoke(steamId, permission); }
void Server::SetPoints(std::uint64_t steamId, int points) { parts_->siblings.SetPoints(steamId, points); }
int Server::Points(std::uint64_t steamId) const { return parts_->siblings.Points(steamId); }
void Server::SetSiblingPluginsLoaded(bool permissions, bool arkShop) { parts_->siblings.SetLoaded(permissions, arkShop); }
bool Server::SiblingPluginLoaded(const std::string& name) const { return parts_->siblings.Loaded(name); }

const std::vector<std::string>& Server::LogLines() const { return HostRuntime::LogLines(); }
void Server::ClearLog() { HostRuntime::ClearLogLines(); }

void Server::SetEcho(const std::function<void(const std::string& line)>& echo) {
    world_->SetEcho(echo);
    if (echo)
        HostRuntime::SetLogEcho([echo](const std::string& line) { echo("[log] " + line); });
    else
        HostRuntime::SetLogEcho(nullptr);
}

std::vector<std::string> Server::EscapedErrors() const { return HostRuntime::EscapedErrors(); }

const std::vector<ClassInfo>& Server::Classes() {
    static const std::vector<ClassInfo> classes = [] {
        std::vector<ClassInfo> out;
        for (const CatalogEntry& entry : Catalog()) out.push_back(entry.info);
        return out;
    }();
    return classes;
}

std::optional<ItemView> Server::Decode(const std::vector<std::uint8_t>& bytes) {
    auto record = DecodeItem(bytes.data(), bytes.size());
    if (!record) return std::nullopt;
    const CatalogEntry* entry = FindClass(record->className);
    if (!entry || !IsItemKind(entry->info.kind)) return std::nullopt;
    ItemView v;
    static_cast<ItemRecord&>(v) = std::move(*record);
    v.canSpoil = entry->info.kind == ClassInfo::Kind::Food;
    v.bytes = bytes;
    return v;
}

}  // namespace Sim
