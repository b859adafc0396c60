#pragma once
// Every game name the plugin reaches, with the signature it is called with. The simulator must
// register each one with exactly this signature; a test checks that all of them resolve.
#include <vector>

#include "ArkApi.h"

namespace GameNames {

enum class Kind { Function, Field, BitField };

struct Entry {
    const char* name;
    Kind kind;
    const char* signature;  // empty for bit fields
};

template <typename T>
inline Entry Fn(const char* name) {
    return {name, Kind::Function, ArkApi::SignatureOf<T>()};
}
template <typename T>
inline Entry Field(const char* name) {
    return {name, Kind::Field, ArkApi::SignatureOf<T>()};
}
inline Entry Bit(const char* name) { return {name, Kind::BitField, ""}; }

inline std::vector<Entry> All() {
    using Bytes = TArray<unsigned char>;
    using Actors = TArray<AActor*>;
    return {
        Fn<void*(std::size_t, uint32)>("FMemory.Malloc"),
        Fn<void*(void*, std::size_t, uint32)>("FMemory.Realloc"),
        Fn<void(void*)>("FMemory.Free"),
        Fn<void(FName*, FString*)>("FName.ToString"),
        Fn<bool(UObjectBase*, bool)>("UObjectBase.IsValidLowLevelFast"),
        Field<FName>("UObjectBase.Name"),
        Field<UClass*>("UObjectBase.Class"),
        Fn<void(UObjectBaseUtility*, FString*, UObject*)>("UObjectBaseUtility.GetFullName"),
        Fn<bool(UObjectBaseUtility*, UClass*)>("UObjectBaseUtility.IsA"),
        Fn<UObject*(UClass*, bool)>("UClass.GetDefaultObject"),
        Field<int32>("UPrimalItem.SlotIndex"),
        Field<FItemNetID>("UPrimalItem.ItemID"),
        Field<float>("UPrimalItem.ItemDurability"),
        Field<double>("UPrimalItem.CreationTime"),
        Field<double>("UPrimalItem.NextSpoilingTime"),
        Bit("UPrimalItem.bIsEngram"),
        Bit("UPrimalItem.bIsInitialItem"),
        Fn<int(UPrimalItem*)>("UPrimalItem.GetItemQuantity"),
        Fn<void(UPrimalItem*, Bytes*)>("UPrimalItem.GetItemBytes"),
        Fn<void(UPrimalItem*, float)>("UPrimalItem.AddItemDurability"),
        Fn<bool(UPrimalItem*)>("UPrimalItem.CanSpoil"),
        Fn<float(UPrimalItem*)>("UPrimalItem.GetSpoilingTime"),
        Fn<void(UPrimalItem*, bool)>("UPrimalItem.UpdatedItem"),
        Fn<UPrimalItem*(Bytes*)>("UPrimalItem.CreateFromBytes"),
        Field<TArray<UPrimalItem*>>("UPrimalInventoryComponent.InventoryItems"),
        Fn<bool(UPrimalInventoryComponent*, FItemNetID*, bool, bool, bool, bool)>("UPrimalInventoryComponent.RemoveItem"),
        Fn<UPrimalItem*(UPrimalInventoryComponent*, UPrimalItem*)>("UPrimalInventoryComponent.AddItemObject"),
        Fn<int(UPrimalInventoryComponent*)>("UPrimalInventoryComponent.GetCurrentNumInventoryItems"),
        Field<FVector>("AActor.DefaultActorLocation"),
        Fn<AController*(APawn*)>("APawn.GetCharacterController"),
        Fn<bool(APrimalCharacter*)>("APrimalCharacter.IsDead"),
        Fn<float(APrimalCharacter*, float, FDamageEvent*, AController*, AActor*)>("APrimalCharacter.TakeDamage"),
        Fn<UClass*()>("AShooterCharacter.GetPrivateStaticClass"),
        Fn<UClass*()>("AShooterPlayerController.StaticClass"),
        Fn<AShooterCharacter*(AShooterPlayerController*)>("AShooterPlayerController.GetPlayerCharacter"),
        Fn<uint64(AShooterPlayerController*)>("AShooterPlayerController.GetUniqueNetIdAsUINT64"),
        Fn<UPrimalInventoryComponent*(AShooterPlayerController*)>("AShooterPlayerController.GetPlayerInventoryComponent"),
        Fn<bool(AShooterPlayerController*, TArray<UPrimalItem*>*, FString*, int, float, bool, bool, float)>(
            "AShooterPlayerController.GiveItem"),
        Fn<void(AShooterPlayerController*, FChatMessage)>("AShooterPlayerController.ClientChatMessage"),
        Fn<void(AShooterPlayerController*, FString*, FLinearColor, bool)>(
            "AShooterPlayerController.ClientServerChatDirectMessage"),
        Fn<void(AShooterPlayerController*, FString*, FLinearColor, float, float, UTexture2D*, USoundBase*)>(
            "AShooterPlayerController.ClientServerSOTFNotificationCustom"),
        Field<FString>("APrimalTargetableActor.DescriptiveName"),
        Fn<UClass*()>("APrimalTargetableActor.StaticClass"),
        Fn<UClass*()>("APrimalStructureItemContainer.GetPrivateStaticClass"),
        Fn<double(UWorld*)>("UWorld.GetTimeSeconds"),
        Fn<Actors*(Actors*, UWorld*, FVector, float, int, bool)>("UVictoryCore.ServerOctreeOverlapActors"),
        Fn<void(FString*, UClass*)>("UVictoryCore.ClassToStringReference"),
        Fn<bool(UObject*, FVector, float, TArray<EObjectTypeQuery>*, UClass*, Actors*, Actors*)>(
            "UKismetSystemLibrary.SphereOverlapActors_NEW"),
    };
}

}  // namespace GameNames
