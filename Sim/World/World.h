#pragma once
// The simulated game: its objects, names, classes, players, structures, time and searches.
// One world exists at a time in a process, as there is one game in a server process.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "HandleSet.h"

#include "ClassCatalog.h"
#include "ItemBytes.h"
#include "Objects.h"
#include "WorldFile.h"

namespace Sim {

// Native classes the plugin asks for by name.
enum class Native {
    Object,
    Class,
    World,
    Actor,
    Pawn,
    Character,
    PrimalCharacter,
    ShooterCharacter,
    DinoCharacter,
    Controller,
    PlayerController,
    ShooterPlayerController,
    AIController,
    DinoAIController,
    TargetableActor,
    Structure,
    ItemContainer,
    Item,
    ActorComponent,
    InventoryComponent,
    GameMode,
    ShooterGameMode,
    PlayerData,
    Count
};

struct Player::State {
    World* world = nullptr;
    std::string name;
    std::uint64_t steamId = 0;
    PlayerController* controller = nullptr;
    Sim::Character* character = nullptr;
    std::vector<Output> received;
    bool left = false;
};

class World {
public:
    explicit World(const std::filesystem::path& serverDir);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The world of this process; throws when there is none.
    static World& Current();

    // Objects.
    bool IsLive(const void* handle) const { return live_.Contains(handle); }
    // The live object behind a handle, of type T; throws naming the operation otherwise.
    template <typename T>
    T& As(const void* handle, const char* operation) const {
        SimObject* object = Live(handle, operation);
        T* typed = nullptr;
        if constexpr (std::is_final_v<T>) {
            // Every game call lands here; for a final class the exact type is all there is to test.
            typed = typeid(*object) == typeid(T) ? static_cast<T*>(object) : nullptr;
        } else {
            typed = dynamic_cast<T*>(object);
        }
        if (!typed) WrongType(object, operation);
        return *typed;
    }
    // Every game call checks its object first; a handle that is not alive is refused, never read.
    SimObject* Live(const void* handle, const char* operation) const {
        if (!live_.Contains(handle)) NotLive(handle, operation);
        return SimObject::From(handle);
    }
    [[noreturn]] void NotLive(const void* handle, const char* operation) const;
    void Destroy(SimObject* object);

    // Names.
    std::wstring NameText(const FName& name) const;
    std::string ObjectName(const SimObject& object) const;
    std::wstring FullName(const SimObject& object) const;
    std::wstring ClassReference(const ClassObject& cls) const;

    // Classes.
    ClassObject* NativeClass(Native which) const { return natives_[static_cast<int>(which)]; }
    ClassObject* ClassOf(const CatalogEntry& entry) const;
    bool IsA(const SimObject& object, const ClassObject* base) const;

    // Items.
    // A new item of the class, with a new id and the class's defaults.
    Item& NewItem(const CatalogEntry& entry);
    // A new item object holding the record, id and all; null when its class is no item class.
    Item* ItemFromRecord(ItemRecord record);
    ItemView View(const Item& item) const;
    // Puts a loose item into the inventory; false when it is full or the item is owned already.
    bool AddToInventory(Inventory& inventory, Item& item);
    bool RemoveFromInventory(Inventory& inventory, const FItemNetID& id);

    // Players.
    Player& Join(const std::string& name, std::uint64_t steamId);
    void Leave(const std::string& name);
    Player* Find(const std::string& name);
    Inventory* InventoryOf(const PlayerController& controller) const;
    // The data the game keeps of a steam id that joined at least once; null otherwise.
    UPrimalPlayerData* PlayerDataOf(std::uint64_t steamId) const;
    void RemoveCharacter(Player::State& state);
    void RemoveInventory(Player::State& state);
    void Deliver(PlayerController& controller, Output output);
    void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

    // Actors.
    Structure& Place(const CatalogEntry& entry, FVector location, const std::string& descriptiveName);
    PlainActor& PlaceNonTargetable(const std::string& className, FVector location);
    std::vector<Actor*> Octree(FVector location, float radius, int group) const;
    std::vector<Actor*> Sphere(FVector location, float radius, const ClassObject* filter,
                               const TArray<AActor*>* ignore) const;
    WorldObject& GameWorld() const { return *worldObject_; }

    // The game's start, after the engine loaded the plugins: the world is published
    // (UWorld.InitWorld: GetWorld answers it from now on), then the game mode is made with its
    // LastSaveWorldTime (AShooterGameMode.InitGame: GetShooterGameMode answers it from now on).
    void InitWorld();
    void InitGame(std::int64_t lastSaveWorldTime);
    bool GameStarted() const { return gameMode_ != nullptr; }
    // Throws before InitGame.
    GameModeObject& GameMode() const;

    // Saves. What a world save keeps of the world: every character, present or asleep, with its
    // inventory, the placed actors and the game time (WorldSaves adds LastSaveWorldTime).
    SavedWorld Snapshot() const;
    // Puts a saved world into this fresh one (before anyone joined; LastSaveWorldTime is the game
    // mode's, made later). The saved world has been checked when it was read: its classes exist
    // and no item id is held twice.
    void Restore(const SavedWorld& saved);

    // Damage.
    Character& Creature();
    CreatureController& CreatureBrain();
    void RecordDamage(const DamageCall& call) {
        ++damageCalls_;
        lastDamage_ = call;
    }
    int DamageCalls() const { return damageCalls_; }
    std::optional<DamageCall> LastDamage() const { return lastDamage_; }

    // Time.
    double time = 0;

private:
    template <typename T>
    T& Make(ClassObject* cls, const std::wstring& objectName);
    template <typename T>
    T& Make(ClassObject* cls, FName objectName);
    FName MakeName(std::wstring_view text);
    FName UniqueName(const std::string& className);
    FItemNetID NewItemId();
    Item& HoldItem(const CatalogEntry& entry, ItemRecord record);
    ClassObject* MakeClass(const std::string& className, const std::string& package, ClassObject* parent, bool native,
                           const ClassInfo* info);
    [[noreturn]] void WrongType(const SimObject* object, const char* operation) const;
    void Echo(const std::string& line) const {
        if (echo_) echo_(line);
    }

    std::vector<std::unique_ptr<SimObject>> objects_;
    HandleSet live_;
    std::vector<std::wstring> names_;
    std::unordered_map<std::wstring, int> nameIndex_;
    std::uint64_t nextNumber_ = 0;
    std::uint64_t idState_;
    // The ids of the living items: a new id never takes one of them. Not of every item ever made,
    // so the set does not grow for as long as the server runs (each rehash would stall a frame).
    std::unordered_set<std::uint64_t> usedIds_;

    ClassObject* natives_[static_cast<int>(Native::Count)] = {};
    std::map<std::string, ClassObject*, std::less<>> blueprintClasses_;
    WorldObject* worldObject_ = nullptr;

    std::map<std::string, std::unique_ptr<Player>, std::less<>> players_;
    std::vector<std::unique_ptr<Player>> departed_;  // handles tests may still hold
    // Characters of players who are not here: they sleep in the world with their inventories
    // (restored from a save, or left behind), and a join with the steam id takes them back.
    struct Sleeper {
        std::string name;
        Character* character = nullptr;
        Inventory* inventory = nullptr;  // null when the character had none
    };
    std::map<std::uint64_t, Sleeper> sleeping_;
    std::map<std::uint64_t, PlayerDataObject*> playerData_;  // kept across sessions, as the game does
    GameModeObject* gameMode_ = nullptr;
    std::vector<Actor*> actors_;  // placed in the world, in placement order
    Character* creature_ = nullptr;
    CreatureController* creatureBrain_ = nullptr;

    int damageCalls_ = 0;
    std::optional<DamageCall> lastDamage_;
    std::function<void(const std::string&)> echo_;
};

}  // namespace Sim
