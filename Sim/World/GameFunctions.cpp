#include "GameFunctions.h"

#include <algorithm>

#include "HostRuntime/Registry.h"
#include "World.h"

namespace Sim {
namespace {

using Bytes = TArray<unsigned char>;
using Actors = TArray<AActor*>;
using HostRuntime::RegisterBitField;
using HostRuntime::RegisterField;
using HostRuntime::RegisterFunction;

World& W() { return World::Current(); }

template <typename T>
T& Obj(const void* handle, const char* operation) {
    return W().As<T>(handle, operation);
}

template <typename T>
T* HandleOf(SimObject* object) {
    return reinterpret_cast<T*>(object);
}

void FillActors(Actors* out, const std::vector<Actor*>& actors) {
    for (Actor* actor : actors) out->Add(HandleOf<AActor>(actor));
}

void Objects() {
    RegisterFunction<void(FName*, FString*)>("FName.ToString", [](FName* name, FString* out) {
        if (!name || !out) throw std::logic_error("FName.ToString called with a null argument");
        *out = FString(std::u16string_view(W().NameText(*name)));
    });
    RegisterFunction<bool(UObjectBase*, bool)>("UObjectBase.IsValidLowLevelFast",
                                               [](UObjectBase* self, bool) { return W().IsLive(self); });
    RegisterField<FName>("UObjectBase.Name",
                         [](void* self) -> void* { return &Obj<SimObject>(self, "UObjectBase.Name").name; });
    RegisterField<UClass*>("UObjectBase.Class",
                           [](void* self) -> void* { return &Obj<SimObject>(self, "UObjectBase.Class").cls; });
    RegisterFunction<void(UObjectBaseUtility*, FString*, UObject*)>(
        "UObjectBaseUtility.GetFullName", [](UObjectBaseUtility* self, FString* out, UObject*) {
            *out = FString(std::u16string_view(W().FullName(Obj<SimObject>(self, "UObjectBaseUtility.GetFullName"))));
        });
    RegisterFunction<bool(UObjectBaseUtility*, UClass*)>(
        "UObjectBaseUtility.IsA", [](UObjectBaseUtility* self, UClass* base) {
            auto& object = Obj<SimObject>(self, "UObjectBaseUtility.IsA");
            return base && W().IsA(object, &Obj<ClassObject>(base, "UObjectBaseUtility.IsA (class)"));
        });
    RegisterFunction<UObject*(UClass*, bool)>("UClass.GetDefaultObject", [](UClass* self, bool) {
        return Obj<ClassObject>(self, "UClass.GetDefaultObject").defaultObject->Handle();
    });
}

void Items() {
    RegisterField<int32>("UPrimalItem.SlotIndex",
                         [](void* self) -> void* { return &Obj<Item>(self, "UPrimalItem.SlotIndex").slot; });
    RegisterField<FItemNetID>("UPrimalItem.ItemID",
                              [](void* self) -> void* { return &Obj<Item>(self, "UPrimalItem.ItemID").id; });
    RegisterField<float>("UPrimalItem.ItemDurability",
                         [](void* self) -> void* { return &Obj<Item>(self, "UPrimalItem.ItemDurability").durability; });
    RegisterField<double>("UPrimalItem.CreationTime",
                          [](void* self) -> void* { return &Obj<Item>(self, "UPrimalItem.CreationTime").creationTime; });
    RegisterField<double>("UPrimalItem.NextSpoilingTime", [](void* self) -> void* {
        return &Obj<Item>(self, "UPrimalItem.NextSpoilingTime").nextSpoilingTime;
    });
    RegisterBitField("UPrimalItem.bIsEngram",
                     [](const void* self) { return Obj<Item>(self, "UPrimalItem.bIsEngram").engram; });
    RegisterBitField("UPrimalItem.bIsInitialItem",
                     [](const void* self) { return Obj<Item>(self, "UPrimalItem.bIsInitialItem").initial; });
    RegisterFunction<int(UPrimalItem*)>("UPrimalItem.GetItemQuantity", [](UPrimalItem* self) {
        return Obj<Item>(self, "UPrimalItem.GetItemQuantity").quantity;
    });
    RegisterFunction<void(UPrimalItem*, Bytes*)>("UPrimalItem.GetItemBytes", [](UPrimalItem* self, Bytes* out) {
        auto& item = Obj<Item>(self, "UPrimalItem.GetItemBytes");
        if (!out) throw std::logic_error("UPrimalItem.GetItemBytes called without an output array");
        out->Empty();
        if (item.unserialisable) return;
        const std::vector<std::uint8_t> bytes = EncodeItem(W().RecordOf(item));
        out->Append(bytes.data(), static_cast<int>(bytes.size()));
    });
    RegisterFunction<void(UPrimalItem*, float)>("UPrimalItem.AddItemDurability", [](UPrimalItem* self, float amount) {
        Obj<Item>(self, "UPrimalItem.AddItemDurability").durability += amount;
    });
    RegisterFunction<bool(UPrimalItem*)>("UPrimalItem.CanSpoil", [](UPrimalItem* self) {
        return Obj<Item>(self, "UPrimalItem.CanSpoil").info->kind == ClassInfo::Kind::Food;
    });
    RegisterFunction<float(UPrimalItem*)>("UPrimalItem.GetSpoilingTime", [](UPrimalItem* self) {
        return Obj<Item>(self, "UPrimalItem.GetSpoilingTime").spoilSeconds;
    });
    RegisterFunction<void(UPrimalItem*, bool)>("UPrimalItem.UpdatedItem", [](UPrimalItem* self, bool) {
        ++Obj<Item>(self, "UPrimalItem.UpdatedItem").updatedCalls;
    });
    RegisterFunction<UPrimalItem*(Bytes*)>("UPrimalItem.CreateFromBytes", [](Bytes* bytes) -> UPrimalItem* {
        if (!bytes) throw std::logic_error("UPrimalItem.CreateFromBytes called without a byte array");
        auto record = DecodeItem(bytes->GetData(), static_cast<std::size_t>(bytes->Num()));
        if (!record) return nullptr;
        Item* item = W().ItemFromRecord(*record);
        return item ? HandleOf<UPrimalItem>(item) : nullptr;
    });
}

void Inventories() {
    RegisterField<TArray<UPrimalItem*>>("UPrimalInventoryComponent.InventoryItems", [](void* self) -> void* {
        return &Obj<Inventory>(self, "UPrimalInventoryComponent.InventoryItems").items;
    });
    RegisterFunction<bool(UPrimalInventoryComponent*, FItemNetID*, bool, bool, bool, bool)>(
        "UPrimalInventoryComponent.RemoveItem",
        [](UPrimalInventoryComponent* self, FItemNetID* id, bool, bool, bool, bool) {
            auto& inventory = Obj<Inventory>(self, "UPrimalInventoryComponent.RemoveItem");
            if (!id) throw std::logic_error("UPrimalInventoryComponent.RemoveItem called without an item id");
            return W().RemoveFromInventory(inventory, *id);
        });
    RegisterFunction<UPrimalItem*(UPrimalInventoryComponent*, UPrimalItem*)>(
        "UPrimalInventoryComponent.AddItemObject",
        [](UPrimalInventoryComponent* self, UPrimalItem* handle) -> UPrimalItem* {
            auto& inventory = Obj<Inventory>(self, "UPrimalInventoryComponent.AddItemObject");
            if (!W().IsLive(handle)) return nullptr;
            auto* item = dynamic_cast<Item*>(SimObject::From(handle));
            if (!item || !W().AddToInventory(inventory, *item)) return nullptr;
            return handle;
        });
    RegisterFunction<int(UPrimalInventoryComponent*)>(
        "UPrimalInventoryComponent.GetCurrentNumInventoryItems", [](UPrimalInventoryComponent* self) {
            return Obj<Inventory>(self, "UPrimalInventoryComponent.GetCurrentNumInventoryItems").items.Num();
        });
}

float GameTakeDamage(APrimalCharacter* self, float amount, FDamageEvent* event, AController* instigator, AActor* causer) {
    auto& victim = Obj<Character>(self, "APrimalCharacter.TakeDamage");
    W().RecordDamage(DamageCall{&victim, amount, event ? event->DamageTypeClass : 0, instigator, causer});
    return victim.dead ? 0.0f : amount;
}

void Characters() {
    RegisterField<FVector>("AActor.DefaultActorLocation",
                           [](void* self) -> void* { return &Obj<Actor>(self, "AActor.DefaultActorLocation").location; });
    RegisterFunction<AController*(APawn*)>("APawn.GetCharacterController", [](APawn* self) -> AController* {
        Controller* controller = Obj<Character>(self, "APawn.GetCharacterController").controller;
        return controller && W().IsLive(controller) ? HandleOf<AController>(controller) : nullptr;
    });
    RegisterFunction<bool(APrimalCharacter*)>("APrimalCharacter.IsDead", [](APrimalCharacter* self) {
        return Obj<Character>(self, "APrimalCharacter.IsDead").dead;
    });
    RegisterFunction<float(APrimalCharacter*, float, FDamageEvent*, AController*, AActor*)>("APrimalCharacter.TakeDamage",
                                                                                            &GameTakeDamage);
    RegisterFunction<UClass*()>("AShooterCharacter.GetPrivateStaticClass",
                                []() { return HandleOf<UClass>(W().NativeClass(Native::ShooterCharacter)); });
    RegisterFunction<UClass*()>("AShooterPlayerController.StaticClass",
                                []() { return HandleOf<UClass>(W().NativeClass(Native::ShooterPlayerController)); });
    RegisterFunction<UClass*()>("APrimalTargetableActor.StaticClass",
                                []() { return HandleOf<UClass>(W().NativeClass(Native::TargetableActor)); });
    RegisterFunction<UClass*()>("APrimalStructureItemContainer.GetPrivateStaticClass",
                                []() { return HandleOf<UClass>(W().NativeClass(Native::ItemContainer)); });
    RegisterField<FString>("APrimalTargetableActor.DescriptiveName", [](void* self) -> void* {
        return &Obj<Structure>(self, "APrimalTargetableActor.DescriptiveName").descriptiveName;
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
    RegisterFunction<AShooterCharacter*(AShooterPlayerController*)>(
        "AShooterPlayerController.GetPlayerCharacter", [](AShooterPlayerController* self) -> AShooterCharacter* {
            Character* pawn = Obj<PlayerController>(self, "AShooterPlayerController.GetPlayerCharacter").pawn;
            return pawn && W().IsLive(pawn) ? HandleOf<AShooterCharacter>(pawn) : nullptr;
        });
    RegisterFunction<uint64(AShooterPlayerController*)>(
        "AShooterPlayerController.GetUniqueNetIdAsUINT64", [](AShooterPlayerController* self) {
            return Obj<PlayerController>(self, "AShooterPlayerController.GetUniqueNetIdAsUINT64").steamId;
        });
    RegisterFunction<UPrimalInventoryComponent*(AShooterPlayerController*)>(
        "AShooterPlayerController.GetPlayerInventoryComponent",
        [](AShooterPlayerController* self) -> UPrimalInventoryComponent* {
            auto& controller = Obj<PlayerController>(self, "AShooterPlayerController.GetPlayerInventoryComponent");
            return HandleOf<UPrimalInventoryComponent>(W().InventoryOf(controller));
        });
    RegisterFunction<bool(AShooterPlayerController*, TArray<UPrimalItem*>*, FString*, int, float, bool, bool, float)>(
        "AShooterPlayerController.GiveItem", [](AShooterPlayerController* self, TArray<UPrimalItem*>* outItems,
                                                FString* path, int quantity, float, bool, bool, float) {
            auto& controller = Obj<PlayerController>(self, "AShooterPlayerController.GiveItem");
            if (!path) throw std::logic_error("AShooterPlayerController.GiveItem called without a blueprint path");
            const CatalogEntry* entry = FindByBlueprintPath(path->ToString());
            Inventory* inventory = W().InventoryOf(controller);
            if (!entry || !IsItemKind(entry->info.kind) || !inventory) return false;
            // As the game does: full stacks of the class's limit, then the rest; what does not
            // fit is not given. Success means at least one stack was given.
            int left = quantity > 0 ? quantity : 1;
            bool gave = false;
            while (left > 0) {
                Item& item = W().NewItem(*entry);
                item.quantity = std::min(left, std::max(entry->stackLimit, 1));
                if (!W().AddToInventory(*inventory, item)) {
                    W().Destroy(&item);
                    break;
                }
                left -= item.quantity;
                gave = true;
                if (outItems) outItems->Add(HandleOf<UPrimalItem>(&item));
            }
            return gave;
        });
    RegisterFunction<void(AShooterPlayerController*, FChatMessage)>(
        "AShooterPlayerController.ClientChatMessage", [](AShooterPlayerController* self, FChatMessage chat) {
            auto& controller = Obj<PlayerController>(self, "AShooterPlayerController.ClientChatMessage");
            Output out;
            out.kind = Output::Kind::Chat;
            out.sender = chat.SenderName.ToString();
            out.text = chat.Message.ToString();
            W().Deliver(controller, std::move(out));
        });
    RegisterFunction<void(AShooterPlayerController*, FString*, FLinearColor, bool)>(
        "AShooterPlayerController.ClientServerChatDirectMessage",
        [](AShooterPlayerController* self, FString* text, FLinearColor colour, bool bold) {
            auto& controller = Obj<PlayerController>(self, "AShooterPlayerController.ClientServerChatDirectMessage");
            Output out = Text(Output::Kind::Server, text, colour);
            out.bold = bold;
            W().Deliver(controller, std::move(out));
        });
    RegisterFunction<void(AShooterPlayerController*, FString*, FLinearColor, float, float, UTexture2D*, USoundBase*)>(
        "AShooterPlayerController.ClientServerSOTFNotificationCustom",
        [](AShooterPlayerController* self, FString* text, FLinearColor colour, float scale, float seconds, UTexture2D* icon,
           USoundBase* sound) {
            auto& controller = Obj<PlayerController>(self, "AShooterPlayerController.ClientServerSOTFNotificationCustom");
            Output out = Text(Output::Kind::Notify, text, colour);
            out.scale = scale;
            out.seconds = seconds;
            out.hasIcon = icon != nullptr;
            out.hasSound = sound != nullptr;
            W().Deliver(controller, std::move(out));
        });
}

void WorldFunctions() {
    RegisterFunction<double(UWorld*)>("UWorld.GetTimeSeconds", [](UWorld* self) {
        Obj<WorldObject>(self, "UWorld.GetTimeSeconds");
        return W().time;
    });
    RegisterFunction<Actors*(Actors*, UWorld*, FVector, float, int, bool)>(
        "UVictoryCore.ServerOctreeOverlapActors",
        [](Actors* result, UWorld* world, FVector location, float radius, int group, bool) {
            Obj<WorldObject>(world, "UVictoryCore.ServerOctreeOverlapActors");
            if (!result) throw std::logic_error("UVictoryCore.ServerOctreeOverlapActors called without a result array");
            FillActors(result, W().Octree(location, radius, group));
            return result;
        });
    RegisterFunction<void(FString*, UClass*)>("UVictoryCore.ClassToStringReference", [](FString* out, UClass* cls) {
        auto& classObject = Obj<ClassObject>(cls, "UVictoryCore.ClassToStringReference");
        *out = FString(std::u16string_view(W().ClassReference(classObject)));
    });
    RegisterFunction<bool(UObject*, FVector, float, TArray<EObjectTypeQuery>*, UClass*, Actors*, Actors*)>(
        "UKismetSystemLibrary.SphereOverlapActors_NEW",
        [](UObject* context, FVector location, float radius, TArray<EObjectTypeQuery>*, UClass* filter, Actors* ignore,
           Actors* out) {
            Obj<SimObject>(context, "UKismetSystemLibrary.SphereOverlapActors_NEW");
            if (!out) throw std::logic_error("UKismetSystemLibrary.SphereOverlapActors_NEW called without an output array");
            const ClassObject* filterClass =
                filter ? &Obj<ClassObject>(filter, "UKismetSystemLibrary.SphereOverlapActors_NEW (filter)") : nullptr;
            FillActors(out, W().Sphere(location, radius, filterClass, ignore));
            return out->Num() > 0;
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
    std::vector<std::string> added;
    for (std::string& name : HostRuntime::Names())
        if (!std::binary_search(before.begin(), before.end(), name)) added.push_back(std::move(name));
    return added;
}

void UnregisterGameFunctions(const std::vector<std::string>& names) {
    for (const std::string& name : names) HostRuntime::Unregister(name);
}

}  // namespace Sim
