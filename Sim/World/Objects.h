#pragma once
// The simulated game's objects. Every one derives from SimObject, which sits at the object's
// address, so the game-class pointers the plugin holds (UObject*, UPrimalItem*, ...) are the
// addresses of these objects; the host functions turn them back and check their type.
#include <cstdint>
#include <string>
#include <vector>

#include "Host/ArkApi.h"
#include "Sim/Server.h"

namespace Sim {

class World;
class ClassObject;

class SimObject {
public:
    virtual ~SimObject() = default;
    FName name;  // UObjectBase.Name
    UClass* cls = nullptr;  // UObjectBase.Class (a ClassObject)
    std::uint64_t serial = 0;

    ClassObject* Class() const { return reinterpret_cast<ClassObject*>(cls); }
    UObject* Handle() { return reinterpret_cast<UObject*>(this); }
    static SimObject* From(const void* handle) { return reinterpret_cast<SimObject*>(const_cast<void*>(handle)); }
};

// A class of the game: native ("/Script/...") or a blueprint class ("/Game/...").
class ClassObject final : public SimObject {
public:
    std::string className;  // "PrimalItemResource_Wood_C", or "ShooterCharacter" for a native class
    std::string package;  // "/Game/PrimalEarth/.../PrimalItemResource_Wood", or "/Script/ShooterGame"
    ClassObject* parent = nullptr;
    SimObject* defaultObject = nullptr;
    const ClassInfo* info = nullptr;  // item and structure classes only
    bool native = false;

    bool IsChildOf(const ClassObject* base) const {
        for (const ClassObject* c = this; c; c = c->parent)
            if (c == base) return true;
        return false;
    }
};

// The class default object ("Default__PrimalItemResource_Wood_C").
class DefaultObject final : public SimObject {};

class WorldObject final : public SimObject {
public:
    AGameMode* authorityGameMode = nullptr;  // UWorld.AuthorityGameMode
    TArray<TWeakObjectPtr<APlayerController>> playerControllers;  // UWorld.PlayerControllerList
};

class Actor : public SimObject {
public:
    FVector location;  // AActor.DefaultActorLocation
    int octreeGroup = -1;
};

class PlainActor final : public Actor {};

// APrimalTargetableActor and its structures.
class Structure final : public Actor {
public:
    FString descriptiveName;
};

class Controller;

// APrimalCharacter: a player's character or a creature.
class Character final : public Actor {
public:
    bool dead = false;
    Controller* controller = nullptr;
    FString playerName;  // AShooterCharacter.PlayerName: the name its player joined with
};

class Controller : public Actor {
public:
    Character* pawn = nullptr;
};

class CreatureController final : public Controller {};

class Item;
class Inventory final : public SimObject {
public:
    TArray<UPrimalItem*> items;  // UPrimalInventoryComponent.InventoryItems
    int capacity = 300;
};

class PlayerController final : public Controller {
public:
    std::uint64_t steamId = 0;
    Player* player = nullptr;
    Inventory* inventory = nullptr;
};

// AShooterGameMode: the game's rules and its world saves.
class GameModeObject final : public Actor {
public:
    // AShooterGameMode.LastSaveWorldTime, an FDateTime: the game keeps one int64 of 100 ns ticks
    // since 0001-01-01 in it (0, the default, for none).
    std::int64_t lastSaveWorldTime = 0;
};

// UPrimalPlayerData: what the game keeps of a player; handed to HandleNewPlayer at a join.
class PlayerDataObject final : public SimObject {};

// UPrimalItem: the item's record, and what only a live object has.
class Item final : public SimObject {
public:
    const ClassInfo* info = nullptr;  // of record.className
    ItemRecord record;  // the fields the game reaches by name, the bytes, the snapshots
    int updatedCalls = 0;
    Inventory* owner = nullptr;
};

}  // namespace Sim
