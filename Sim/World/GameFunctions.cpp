#include "GameFunctions.h"

#include <algorithm>

#include "Host/GameNameTable.h"
#include "HostRuntime/Registry.h"
#include "World.h"
#include "WorldSave.h"

namespace Sim {
namespace {

namespace G = GameNames;
using Bytes = TArray<unsigned char>;
using Actors = TArray<AActor*>;
using HostRuntime::Register;

World& W() { return World::Current(); }

// The object behind a handle, checked and named in errors by the game name it was called through.
template <typename T, typename Name>
T& Obj(const void* handle, const Name& entry) {
    return W().As<T>(handle, entry.name);
}
template <typename T>
T& Obj(const void* handle, const std::string& operation) {
    return W().As<T>(handle, operation.c_str());
}

// "Class.Member (part)": the operation of an argument other than the object itself.
template <typename Name>
std::string Part(const Name& entry, const char* part) {
    return std::string(entry.name) + " (" + part + ")";
}

template <typename Name>
[[noreturn]] void Refuse(const Name& entry, const char* what) {
    throw std::logic_error(std::string(entry.name) + " called " + what);
}

template <typename T>
T* HandleOf(SimObject* object) {
    return reinterpret_cast<T*>(object);
}

void FillActors(Actors* out, const std::vector<Actor*>& actors) {
    for (Actor* actor : actors) out->Add(HandleOf<AActor>(actor));
}

void Objects() {
    Register(G::FName_ToString, [](FName* name, FString* out) {
        if (!name || !out) Refuse(G::FName_ToString, "with a null argument");
        *out = FString(W().NameText(*name));
    });
    Register(G::UObjectBase_IsValidLowLevelFast, [](UObjectBase* self, bool) { return W().IsLive(self); });
    Register(G::UObjectBase_Name, [](void* self) -> void* { return &Obj<SimObject>(self, G::UObjectBase_Name).name; });
    Register(G::UObjectBase_Class, [](void* self) -> void* { return &Obj<SimObject>(self, G::UObjectBase_Class).cls; });
    Register(G::UObjectBaseUtility_GetFullName, [](UObjectBaseUtility* self, FString* out, UObject*) {
        *out = FString(W().FullName(Obj<SimObject>(self, G::UObjectBaseUtility_GetFullName)));
    });
    Register(G::UObjectBaseUtility_IsA, [](UObjectBaseUtility* self, UClass* base) {
        static const std::string ofClass = Part(G::UObjectBaseUtility_IsA, "class");
        auto& object = Obj<SimObject>(self, G::UObjectBaseUtility_IsA);
        return base && W().IsA(object, &Obj<ClassObject>(base, ofClass));
    });
    Register(G::UClass_GetDefaultObject,
             [](UClass* self, bool) { return Obj<ClassObject>(self, G::UClass_GetDefaultObject).defaultObject->Handle(); });
}

void Items() {
    Register(G::UPrimalItem_SlotIndex,
             [](void* self) -> void* { return &Obj<Item>(self, G::UPrimalItem_SlotIndex).record.slot; });
    Register(G::UPrimalItem_ItemID, [](void* self) -> void* { return &Obj<Item>(self, G::UPrimalItem_ItemID).record.id; });
    Register(G::UPrimalItem_ItemDurability,
             [](void* self) -> void* { return &Obj<Item>(self, G::UPrimalItem_ItemDurability).record.durability; });
    Register(G::UPrimalItem_CreationTime,
             [](void* self) -> void* { return &Obj<Item>(self, G::UPrimalItem_CreationTime).record.creationTime; });
    Register(G::UPrimalItem_NextSpoilingTime,
             [](void* self) -> void* { return &Obj<Item>(self, G::UPrimalItem_NextSpoilingTime).record.nextSpoilingTime; });
    Register(G::UPrimalItem_bIsEngram,
             [](const void* self) { return Obj<Item>(self, G::UPrimalItem_bIsEngram).record.engram; });
    Register(G::UPrimalItem_bIsInitialItem,
             [](const void* self) { return Obj<Item>(self, G::UPrimalItem_bIsInitialItem).record.initial; });
    Register(G::UPrimalItem_GetItemQuantity,
             [](UPrimalItem* self) { return Obj<Item>(self, G::UPrimalItem_GetItemQuantity).record.quantity; });
    Register(G::UPrimalItem_GetItemBytes, [](UPrimalItem* self, Bytes* out) {
        auto& item = Obj<Item>(self, G::UPrimalItem_GetItemBytes);
        if (!out) Refuse(G::UPrimalItem_GetItemBytes, "without an output array");
        out->Empty();
        if (item.record.unserialisable) return;
        const std::vector<std::uint8_t> bytes = EncodeItem(item.record);
        out->Append(bytes.data(), static_cast<int>(bytes.size()));
    });
    Register(G::UPrimalItem_AddItemDurability, [](UPrimalItem* self, float amount) {
        Obj<Item>(self, G::UPrimalItem_AddItemDurability).record.durability += amount;
    });
    Register(G::UPrimalItem_CanSpoil, [](UPrimalItem* self) {
        return Obj<Item>(self, G::UPrimalItem_CanSpoil).info->kind == ClassInfo::Kind::Food;
    });
    Register(G::UPrimalItem_GetSpoilingTime,
             [](UPrimalItem* self) { return Obj<Item>(self, G::UPrimalItem_GetSpoilingTime).record.spoilSeconds; });
    Register(G::UPrimalItem_UpdatedItem,
             [](UPrimalItem* self, bool) { ++Obj<Item>(self, G::UPrimalItem_UpdatedItem).updatedCalls; });
    Register(G::UPrimalItem_CreateFromBytes, [](Bytes* bytes) -> UPrimalItem* {
        if (!bytes) Refuse(G::UPrimalItem_CreateFromBytes, "without a byte array");
        auto record = DecodeItem(bytes->GetData(), static_cast<std::size_t>(bytes->Num()));
        if (!record) return nullptr;
        Item* item = W().ItemFromRecord(std::move(*record));
        return item ? HandleOf<UPrimalItem>(item) : nullptr;
    });
}

void Inventories() {
    Register(G::UPrimalInventoryComponent_InventoryItems,
             [](void* self) -> void* { return &Obj<Inventory>(self, G::UPrimalInventoryComponent_InventoryItems).items; });
    Register(G::UPrimalInventoryComponent_RemoveItem,
             [](UPrimalInventoryComponent* self, FItemNetID* id, bool, bool, bool, bool) {
                 auto& inventory = Obj<Inventory>(self, G::UPrimalInventoryComponent_RemoveItem);
                 if (!id) Refuse(G::UPrimalInventoryComponent_RemoveItem, "without an item id");
                 return W().RemoveFromInventory(inventory, *id);
             });
    Register(G::UPrimalInventoryComponent_AddItemObject,
             [](UPrimalInventoryComponent* self, UPrimalItem* handle) -> UPrimalItem* {
                 auto& inventory = Obj<Inventory>(self, G::UPrimalInventoryComponent_AddItemObject);
                 if (!W().IsLive(handle)) return nullptr;
                 auto* item = dynamic_cast<Item*>(SimObject::From(handle));
                 if (!item || !W().AddToInventory(inventory, *item)) return nullptr;
                 return handle;
             });
    Register(G::UPrimalInventoryComponent_GetCurrentNumInventoryItems, [](UPrimalInventoryComponent* self) {
        return Obj<Inventory>(self, G::UPrimalInventoryComponent_GetCurrentNumInventoryItems).items.Num();
    });
}

float GameTakeDamage(APrimalCharacter* self, float amount, FDamageEvent* event, AController* instigator, AActor* causer) {
    auto& victim = Obj<Character>(self, G::APrimalCharacter_TakeDamage);
    W().RecordDamage(DamageCall{&victim, amount, event, instigator, causer});
    return victim.dead ? 0.0f : amount;
}

void Characters() {
    Register(G::AActor_DefaultActorLocation,
             [](void* self) -> void* { return &Obj<Actor>(self, G::AActor_DefaultActorLocation).location; });
    Register(G::APawn_GetCharacterController, [](APawn* self) -> AController* {
        Controller* controller = Obj<Character>(self, G::APawn_GetCharacterController).controller;
        return controller && W().IsLive(controller) ? HandleOf<AController>(controller) : nullptr;
    });
    Register(G::APrimalCharacter_IsDead,
             [](APrimalCharacter* self) { return Obj<Character>(self, G::APrimalCharacter_IsDead).dead; });
    Register(G::APrimalCharacter_TakeDamage, &GameTakeDamage);
    Register(G::AShooterCharacter_GetPrivateStaticClass,
             []() { return HandleOf<UClass>(W().NativeClass(Native::ShooterCharacter)); });
    Register(G::AShooterPlayerController_StaticClass,
             []() { return HandleOf<UClass>(W().NativeClass(Native::ShooterPlayerController)); });
    Register(G::APrimalTargetableActor_StaticClass,
             []() { return HandleOf<UClass>(W().NativeClass(Native::TargetableActor)); });
    Register(G::APrimalStructureItemContainer_GetPrivateStaticClass,
             []() { return HandleOf<UClass>(W().NativeClass(Native::ItemContainer)); });
    Register(G::APrimalTargetableActor_DescriptiveName, [](void* self) -> void* {
        return &Obj<Structure>(self, G::APrimalTargetableActor_DescriptiveName).descriptiveName;
    });
}

Output Text(Output::Kind kind, const FString* text, FLinearColor colour) {
    if (!text) throw std::logic_error("a player output operation was called without a text");
    Output out;
    out.kind = kind;
    out.text = text->ToString();
    out.colour = colour;
    return out;
}

void PlayerControllers() {
    Register(G::AShooterPlayerController_GetPlayerCharacter, [](AShooterPlayerController* self) -> AShooterCharacter* {
        Character* pawn = Obj<PlayerController>(self, G::AShooterPlayerController_GetPlayerCharacter).pawn;
        return pawn && W().IsLive(pawn) ? HandleOf<AShooterCharacter>(pawn) : nullptr;
    });
    Register(G::AShooterPlayerController_GetUniqueNetIdAsUINT64, [](AShooterPlayerController* self) {
        return Obj<PlayerController>(self, G::AShooterPlayerController_GetUniqueNetIdAsUINT64).steamId;
    });
    Register(G::AShooterPlayerController_GetPlayerInventoryComponent,
             [](AShooterPlayerController* self) -> UPrimalInventoryComponent* {
                 auto& controller = Obj<PlayerController>(self, G::AShooterPlayerController_GetPlayerInventoryComponent);
                 return HandleOf<UPrimalInventoryComponent>(W().InventoryOf(controller));
             });
    Register(G::AShooterPlayerController_GiveItem, [](AShooterPlayerController* self, TArray<UPrimalItem*>* outItems,
                                                      FString* path, int quantity, float, bool, bool, float) {
        auto& controller = Obj<PlayerController>(self, G::AShooterPlayerController_GiveItem);
        if (!path) Refuse(G::AShooterPlayerController_GiveItem, "without a blueprint path");
        const CatalogEntry* entry = FindByBlueprintPath(path->ToString());
        Inventory* inventory = W().InventoryOf(controller);
        if (!entry || !IsItemKind(entry->info.kind) || !inventory) return false;
        // As the game does: full stacks of the class's limit, then the rest; what does not
        // fit is not given. Success means at least one stack was given.
        int left = quantity > 0 ? quantity : 1;
        bool gave = false;
        while (left > 0) {
            Item& item = W().NewItem(*entry);
            item.record.quantity = std::min(left, std::max(entry->stackLimit, 1));
            if (!W().AddToInventory(*inventory, item)) {
                W().Destroy(&item);
                break;
            }
            left -= item.record.quantity;
            gave = true;
            if (outItems) outItems->Add(HandleOf<UPrimalItem>(&item));
        }
        return gave;
    });
    // The game takes the message by value; the registered function must have its exact type.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    Register(G::AShooterPlayerController_ClientChatMessage, [](AShooterPlayerController* self, FChatMessage chat) {
        auto& controller = Obj<PlayerController>(self, G::AShooterPlayerController_ClientChatMessage);
        Output out;
        out.kind = Output::Kind::Chat;
        out.sender = chat.SenderName.ToString();
        out.text = chat.Message.ToString();
        W().Deliver(controller, std::move(out));
    });
    Register(G::AShooterPlayerController_ClientServerChatDirectMessage,
             [](AShooterPlayerController* self, FString* text, FLinearColor colour, bool bold) {
                 auto& controller = Obj<PlayerController>(self, G::AShooterPlayerController_ClientServerChatDirectMessage);
                 Output out = Text(Output::Kind::Server, text, colour);
                 out.bold = bold;
                 W().Deliver(controller, std::move(out));
             });
    Register(G::AShooterPlayerController_ClientServerSOTFNotificationCustom,
             [](AShooterPlayerController* self, FString* text, FLinearColor colour, float scale, float seconds,
                UTexture2D* icon, USoundBase* sound) {
                 auto& controller =
                     Obj<PlayerController>(self, G::AShooterPlayerController_ClientServerSOTFNotificationCustom);
                 Output out = Text(Output::Kind::Notify, text, colour);
                 out.scale = scale;
                 out.seconds = seconds;
                 out.hasIcon = icon != nullptr;
                 out.hasSound = sound != nullptr;
                 W().Deliver(controller, std::move(out));
             });
}

void WorldFunctions() {
    Register(G::UWorld_GetTimeSeconds, [](UWorld* self) {
        Obj<WorldObject>(self, G::UWorld_GetTimeSeconds);
        return W().time;
    });
    Register(G::UVictoryCore_ServerOctreeOverlapActors,
             [](Actors* result, UWorld* world, FVector location, float radius, EServerOctreeGroup::Type group, bool) {
                 Obj<WorldObject>(world, G::UVictoryCore_ServerOctreeOverlapActors);
                 if (!result) Refuse(G::UVictoryCore_ServerOctreeOverlapActors, "without a result array");
                 FillActors(result, W().Octree(location, radius, group));
                 return result;
             });
    Register(G::UVictoryCore_ClassToStringReference, [](FString* out, UClass* cls) {
        auto& classObject = Obj<ClassObject>(cls, G::UVictoryCore_ClassToStringReference);
        *out = FString(W().ClassReference(classObject));
    });
    Register(G::UKismetSystemLibrary_SphereOverlapActors_NEW,
             [](UObject* context, FVector location, float radius, TArray<TEnumAsByte<EObjectTypeQuery>>*, UClass* filter,
                Actors* ignore, Actors* out) {
                 static const std::string ofFilter = Part(G::UKismetSystemLibrary_SphereOverlapActors_NEW, "filter");
                 Obj<SimObject>(context, G::UKismetSystemLibrary_SphereOverlapActors_NEW);
                 if (!out) Refuse(G::UKismetSystemLibrary_SphereOverlapActors_NEW, "without an output array");
                 const ClassObject* filterClass = filter ? &Obj<ClassObject>(filter, ofFilter) : nullptr;
                 FillActors(out, W().Sphere(location, radius, filterClass, ignore));
                 return out->Num() > 0;
             });
}

void GameModeFunctions() {
    Register(G::UWorld_AuthorityGameMode,
             [](void* self) -> void* { return &Obj<WorldObject>(self, G::UWorld_AuthorityGameMode).authorityGameMode; });
    Register(G::UWorld_PlayerControllerList,
             [](void* self) -> void* { return &Obj<WorldObject>(self, G::UWorld_PlayerControllerList).playerControllers; });
    Register(G::AShooterCharacter_PlayerName,
             [](void* self) -> void* { return &Obj<Character>(self, G::AShooterCharacter_PlayerName).playerName; });
    Register(G::AShooterGameMode_LastSaveWorldTime, [](void* self) -> void* {
        return &Obj<GameModeObject>(self, G::AShooterGameMode_LastSaveWorldTime).lastSaveWorldTime;
    });
    // Always synchronous here: the world is on disk when the call returns.
    Register(G::AShooterGameMode_SaveWorld, [](AShooterGameMode* self) {
        Obj<GameModeObject>(self, G::AShooterGameMode_SaveWorld);
        WorldSaves::Current().Save();
    });
    // The join itself is done when the game calls this; the game's own part only checks its objects.
    Register(G::AShooterGameMode_HandleNewPlayer_Implementation,
             [](AShooterGameMode* self, AShooterPlayerController* player, UPrimalPlayerData* data,
                AShooterCharacter* character, bool) {
                 static const std::string ofPlayer = Part(G::AShooterGameMode_HandleNewPlayer_Implementation, "player");
                 static const std::string ofData = Part(G::AShooterGameMode_HandleNewPlayer_Implementation, "data");
                 static const std::string ofCharacter =
                     Part(G::AShooterGameMode_HandleNewPlayer_Implementation, "character");
                 Obj<GameModeObject>(self, G::AShooterGameMode_HandleNewPlayer_Implementation);
                 Obj<PlayerController>(player, ofPlayer);
                 Obj<PlayerDataObject>(data, ofData);
                 if (character) Obj<Character>(character, ofCharacter);
                 return true;
             });
}

}  // namespace

std::vector<std::string> RegisterGameFunctions() {
    const std::vector<std::string> before = HostRuntime::Names();
    Objects();
    Items();
    Inventories();
    Characters();
    PlayerControllers();
    WorldFunctions();
    GameModeFunctions();
    std::vector<std::string> added;
    for (std::string& name : HostRuntime::Names())
        if (!std::binary_search(before.begin(), before.end(), name)) added.push_back(std::move(name));
    return added;
}

void UnregisterGameFunctions(const std::vector<std::string>& names) {
    for (const std::string& name : names) HostRuntime::Unregister(name);
}

}  // namespace Sim
