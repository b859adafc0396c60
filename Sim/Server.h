#pragma once
// The simulated dedicated server: a world with players, items and structures, the host runtime
// behind Host/, stand-ins for the Permissions and ArkShop plugins, and the plugin loader.
// Tests and lockbury-server drive it as a player or an administrator would.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace Sim {

// One thing a player was shown, in the order it happened.
struct Output {
    enum class Kind { Chat, Server, Notify };
    Kind kind = Kind::Chat;
    std::string sender;  // chat lines only (UTF-8)
    std::string text;  // UTF-8
    FLinearColor colour;  // server lines and notifications
    bool bold = false;  // server lines
    float scale = 0, seconds = 0;  // notifications
    bool hasIcon = false, hasSound = false;  // notifications
};

// What to put into an inventory. Unset values take the class's defaults.
struct ItemSpec {
    std::string className;  // as listed by Classes(), e.g. "PrimalItemResource_Wood"
    int quantity = 1;
    int slot = -1;
    bool engram = false;
    bool initial = false;
    std::optional<float> durability;
    std::optional<double> spoilSeconds;  // spoiling time of a food item
    std::vector<std::uint8_t> payload;  // opaque data carried through the item's bytes
    bool unserialisable = false;  // GetItemBytes gives no bytes for it
};

// AShooterGameMode.LastSaveWorldTime as the game's FDateTime holds it: 100 ns ticks since
// 0001-01-01. The simulator's saves keep microseconds.
inline constexpr std::int64_t kTicksAtUnixEpoch = 621355968000000000;
constexpr std::int64_t TicksFromUnixMicros(std::int64_t micros) { return micros * 10 + kTicksAtUnixEpoch; }
// From UTC seconds since 1970 as the world file writes them, to the microsecond.
inline std::int64_t TicksFromUnixSeconds(double seconds) { return TicksFromUnixMicros(std::llround(seconds * 1e6)); }

// An item id as one number (ItemID2 high, ItemID1 low): the game's id type has no ==.
inline std::uint64_t IdNumber(const FItemNetID& id) { return static_cast<std::uint64_t>(id.ItemID2) << 32 | id.ItemID1; }

// One item's data, the single record of it: the game's item object holds one, its bytes carry
// one (all but unserialisable), and an ItemView is one with what the live object adds.
struct ItemRecord {
    std::string className;  // as listed by Classes()
    FItemNetID id;
    std::int32_t quantity = 1;
    std::int32_t slot = -1;
    bool engram = false;
    bool initial = false;
    float durability = 0;
    // The game's fields are long double (a double under MSVC); the bytes and the world file keep a double.
    long double creationTime = 0;
    long double nextSpoilingTime = 0;
    float spoilSeconds = 0;  // GetSpoilingTime
    std::vector<std::uint8_t> payload;  // opaque data carried through the item's bytes
    bool unserialisable = false;  // GetItemBytes gives no bytes for it (not in the bytes)
};

// A snapshot of one item for assertions: its record and what the live object adds.
struct ItemView : ItemRecord {
    UPrimalItem* handle = nullptr;  // null for decoded bytes
    std::string objectName;  // "PrimalItemResource_Wood_C_12"; empty for decoded bytes
    bool canSpoil = false;
    std::vector<std::uint8_t> bytes;  // what GetItemBytes gives
    int updatedItemCalls = 0;  // how often UPrimalItem.UpdatedItem ran on it
};

// One call of the game's own APrimalCharacter.TakeDamage (after any hook).
struct DamageCall {
    void* victim = nullptr;  // APrimalCharacter*
    float amount = 0;
    const void* event = nullptr;  // the FDamageEvent it was given (the framework declares it without members)
    void* instigator = nullptr;  // AController*
    void* causer = nullptr;  // AActor*
};

struct ClassInfo {
    std::string name;
    std::string blueprintPath;  // "Blueprint'/Game/.../Name.Name'"
    enum class Kind { Resource, Tool, Armour, Food, Cryopod, Container, Structure } kind;
};

// Where a crash falls inside the game's world save.
enum class SaveCrash {
    BeforeRename,  // the new world is written beside the old one, which is still the world file
    AfterRename,  // the new world has just replaced the old one
};

class World;

class Player {
public:
    const std::string& Name() const;
    std::uint64_t SteamId() const;
    AShooterPlayerController* Controller() const;
    const std::vector<Output>& Received() const;
    void ClearReceived();
    std::vector<ItemView> Inventory() const;
    // As Inventory().size(), without making the items' bytes: for waiting on a move.
    std::size_t ItemCount() const;
    void MoveTo(FVector location);
    FVector Location() const;
    void Kill();
    void Revive();
    void RemoveCharacter();  // no character at all
    void RemoveInventory();  // GetPlayerInventoryComponent gives null
    // Items the game refuses to add (AddItemObject gives null) once the inventory holds this many.
    void SetInventoryCapacity(int items);
    AShooterCharacter* Character() const;  // null without one
    UPrimalInventoryComponent* InventoryComponent() const;  // null without one

private:
    friend class World;
    struct State;
    explicit Player(std::shared_ptr<State> state);
    std::shared_ptr<State> state_;
};

// How the simulated game behaves where a live server's behaviour is not known.
struct ServerOptions {
    // Whether the game restores AShooterGameMode.LastSaveWorldTime from the world file at its
    // start. If not, the field holds 0 (FDateTime's default) until the first world save sets it.
    bool restoreSaveTime = true;
};

// The server starts as a live one does. The framework loads the plugins while the engine starts
// (LoadPlugin, the first time), in the order of their folders' names (the sibling stand-ins
// ArkShop and Permissions included), while GetWorld() and GetShooterGameMode() are still null.
// Then the world is published (UWorld.InitWorld) and the game mode made (AShooterGameMode.InitGame),
// and the game's first second passes before anyone can join. A server driven before any plugin
// was loaded starts the same way without one; a plugin loaded later (a reload, hot reload) finds
// the world and the game mode.
//
// Time: the game loop runs one frame before each thing the server is driven to do (a join, a
// chat, console or RCON line, a given item, a placed structure, damage, a world save, Wait): the
// framework's tick callbacks run once with the seconds of the wall clock (the plugin's time(),
// shifted and frozen as set here) since the previous frame, and its timer callbacks once for each
// second of that clock begun since their last run (at most kMaxTimerCatchUp for a jump of the
// clock: the game's timer follows its own frames, not the clock). With a frozen clock nothing
// passes unless a test shifts the clock or waits, so what runs is exactly what the test asked for.
class Server {
public:
    static constexpr int kMaxTimerCatchUp = 60;

    // serverDir is the game server's folder (ArkApi::Tools::GetCurrentDir). When it holds a saved
    // world (SavedArks/World.json) the world is restored from it at the game's start: its
    // characters sleep until their steam ids join, its structures stand, the sibling stand-ins
    // hold its permissions and points, and LastSaveWorldTime is the saved one (see
    // ServerOptions). A damaged world file throws Sim::WorldFileError, naming the file and the
    // fault, before anything started.
    explicit Server(const std::filesystem::path& serverDir, ServerOptions options = {});
    // Unloads the plugin and does NOT save the world. A test that builds a Server again on the same
    // folder finds the world of the last SaveWorld (or Shutdown), as a server restarted after a
    // crash does; only the plugin's unload makes it differ from a crash, which a process cannot
    // undergo and go on (see Crash).
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The engine starts with no plugin to load (each call that drives the game starts it so
    // first); the sibling stand-ins that are wanted load.
    void Start();
    // One frame of the game loop with nothing else driven (the loop's frames between lines).
    void Frame();

    // The plugin, loaded and unloaded as the framework does (Plugin_Init after loading it,
    // Plugin_Unload before freeing it). The first load is the one at the server's start.
    void LoadPlugin(const std::filesystem::path& library);
    void UnloadPlugin();  // throws when the library did not really leave the process
    void ReloadPlugin();
    bool PluginLoaded() const;

    // Registrations the plugin holds now, in the order they were made.
    std::vector<std::string> ChatCommands() const;
    std::vector<std::string> ConsoleCommands() const;
    std::vector<std::string> RconCommands() const;
    std::vector<std::string> Hooks() const;
    std::vector<std::string> TickCallbacks() const;  // by id
    std::vector<std::string> TimerCallbacks() const;

    // A player joins: the character the steam id has in the world (with its inventory) when
    // there is one, else a new living character at the origin with an empty inventory. Then the
    // game's AShooterGameMode.HandleNewPlayer_Implementation runs through the registry (a plugin's
    // hook on it sees the character in place).
    Player& Join(const std::string& name, std::uint64_t steamId);
    // The player leaves; the character stays in the world, asleep, so a world save keeps it.
    void Leave(const std::string& name);
    Player& Get(const std::string& name);
    Player* Find(const std::string& name);

    ItemView Give(Player& player, const ItemSpec& spec);
    // Places a structure; returns its object name.
    std::string Place(const std::string& className, FVector location, const std::string& descriptiveName = "");
    // A placed actor the octree search reports although it is not a targetable actor.
    std::string PlaceNonTargetable(const std::string& className, FVector location);

    // A chat line or console command typed by the player; true when a command took it.
    bool Chat(Player& player, const std::string& utf8Text);
    bool Console(Player& player, const std::string& utf8Text);
    // A command line an administrator sends over RCON; the replies the client got, in order (UTF-8).
    // A line whose first word no RCON command has gets the game's own reply: unknown command "WORD".
    std::vector<std::string> Rcon(const std::string& utf8Line);

    // A damage event through APrimalCharacter.TakeDamage by name; null means a creature (or the
    // world, for the source). Returns the game function's result.
    float Damage(Player* victim, Player* source, float amount = 10.0f);
    // How often the game's own TakeDamage ran, and with what it was last called.
    int GameTakeDamageCalls() const;
    std::optional<DamageCall> LastGameTakeDamage() const;
    // A damage event with no instigator at all (falling, drowning).
    float DamageFromWorld(Player* victim, float amount = 10.0f);
    // The controller and character a creature source and a creature victim use.
    AController* CreatureController();
    APrimalCharacter* CreatureCharacter();

    // Throws std::out_of_range past kMaxClockOffset seconds from the real clock either way.
    static constexpr std::int64_t kMaxClockOffset = 3155760000;  // 100 years
    void ShiftClock(std::int64_t seconds);  // wall clock seen by the plugin
    // The wall clock stands still from now on (shifts still move it), so a test reads the same
    // second however long its steps take.
    void FreezeClock();
    std::int64_t ClockOffset() const;
    // Nobody does anything for that long: the wall clock (frozen or not) and the game time move on
    // by that many seconds, and the game loop runs a frame (see the class's comment).
    void Wait(std::int64_t seconds);
    void AdvanceGameTime(double seconds);
    double GameTime() const;

    // Permissions and ArkShop stand-ins: their data, and whether each is loaded. They are
    // libraries named as the real plugins' (Permissions.so / Permissions.dll, ArkShop...) that
    // export their function under the real plugin's mangled name; one that is not loaded is not
    // in the process. Before the start, SetSiblingPluginsLoaded says which the start loads.
    void Grant(std::uint64_t steamId, const std::string& permission);
    void Revoke(std::uint64_t steamId, const std::string& permission);
    void SetPoints(std::uint64_t steamId, int points);
    int Points(std::uint64_t steamId) const;
    void SetSiblingPluginsLoaded(bool permissions, bool arkShop);
    bool SiblingPluginLoaded(const std::string& name) const;  // "Permissions" or "ArkShop"

    // The game's world save: AShooterGameMode.SaveWorld through the registry, so a plugin's hook
    // runs around it. The game writes SavedArks/World.json atomically, then sets LastSaveWorldTime.
    // Throws when the game's save failed (the old file stays) or a hook did not let it run.
    void SaveWorld();
    // AShooterGameMode.LastSaveWorldTime as the game holds it (TicksFromUnixMicros): the real time of
    // the save the world in memory came from (when restored) or went to last; 0 for a world never
    // saved. A later save always gets a later value.
    std::int64_t LastSaveWorldTime();
    std::filesystem::path WorldFile() const;
    // A clean shutdown, as the real server's: the world is saved (hooks run), then the plugin is
    // unloaded, even when the save failed (which then throws).
    void Shutdown();

    // The process ends at once with exit status 137, as a killed server's: no world save, no
    // plugin unload. The handler runs first, to flush output; then every C stream is flushed.
    void OnCrash(std::function<void(const std::string& what)> handler);
    [[noreturn]] void Crash();
    // A world save through the registry (hooks run) whose game part crashes at that point of its
    // write. Should a hook not call the game's save at all, the process crashes when it returns.
    [[noreturn]] void CrashInSave(SaveCrash at);

    // Every line of the plugin's log, formatted as the logger formats it.
    const std::vector<std::string>& LogLines() const;
    void ClearLog();
    // Also print every output event and log line as it happens (lockbury-server).
    void SetEcho(const std::function<void(const std::string& line)>& echo);
    // Errors that escaped a plugin handler into the host (each one is a plugin fault).
    std::vector<std::string> EscapedErrors() const;

    static const std::vector<ClassInfo>& Classes();

    // Bytes as GetItemBytes makes them, and whether CreateFromBytes accepts them.
    static std::optional<ItemView> Decode(const std::vector<std::uint8_t>& bytes);

private:
    struct Parts;
    void StartGame();
    World& Started();  // the game, started first if it was not
    World& Step();  // the same, then one frame of the game loop
    void RunFrame();
    std::unique_ptr<World> world_;
    std::unique_ptr<Parts> parts_;  // registrations, sibling stand-ins, the loaded plugin
};

}  // namespace Sim
