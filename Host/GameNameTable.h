#pragma once
// The one table of game names the plugin reaches: each name once, with its signature.
//
//   FUNCTION(Class, Member, Signature)  a game function "Class.Member"; Signature is R(Self*, Args...)
//                                       for a member function, R(Args...) for a static one
//   FIELD(Class, Member, Type)          a field "Class.Member" of that type
//   BIT(Class, Member)                  a one-bit flag "Class.Member"
//
// Each line becomes a typed entry GameNames::Class_Member: the accessors of Game/*.h call through
// it, the simulator registers by it, and GameNames::All() (GameNames.h) lists every line for the
// test that checks that each one resolves with its signature.
#include <cstddef>
#include <cstdint>

#include "NativeCall.h"

template <typename T>
class TArray;
template <typename T>
struct TWeakObjectPtr;
class FString;
struct FName;
struct FVector;
struct FLinearColor;
struct FItemNetID;
struct FDamageEvent;
struct FChatMessage;
struct UObjectBase;
struct UObjectBaseUtility;
struct UObject;
struct UClass;
struct UTexture2D;
struct USoundBase;
struct UWorld;
struct UPrimalItem;
struct UPrimalInventoryComponent;
struct AActor;
struct APawn;
struct AController;
struct APlayerController;
struct APrimalCharacter;
struct AShooterCharacter;
struct AShooterPlayerController;
struct AGameMode;
struct AShooterGameMode;
struct UPrimalPlayerData;
class RCONClientConnection;

enum class EObjectTypeQuery;
template <class TEnum>
class TEnumAsByte;
template <typename T>
using TAutoWeakObjectPtr = TWeakObjectPtr<T>;
struct FDateTime;
namespace EServerOctreeGroup {
enum Type : int;
}

#define LOCKBURY_GAME_NAMES(FUNCTION, FIELD, BIT)                                                                          \
    FUNCTION(FMemory, Malloc, void*(std::size_t, std::uint32_t))                                                           \
    FUNCTION(FMemory, Realloc, void*(void*, std::size_t))                                                                  \
    FUNCTION(FMemory, Free, void(void*))                                                                                   \
    FUNCTION(FName, ToString, void(FName*, FString*))                                                                      \
    FUNCTION(UObjectBase, IsValidLowLevelFast, bool(UObjectBase*, bool))                                                   \
    FIELD(UObjectBase, Name, FName)                                                                                        \
    FIELD(UObjectBase, Class, UClass*)                                                                                     \
    FUNCTION(UObjectBaseUtility, GetFullName, void(UObjectBaseUtility*, FString*, UObject*))                               \
    FUNCTION(UObjectBaseUtility, IsA, bool(UObjectBaseUtility*, UClass*))                                                  \
    FUNCTION(UClass, GetDefaultObject, UObject*(UClass*, bool))                                                            \
    FIELD(UPrimalItem, SlotIndex, std::int32_t)                                                                            \
    FIELD(UPrimalItem, ItemID, FItemNetID)                                                                                 \
    FIELD(UPrimalItem, ItemDurability, float)                                                                              \
    FIELD(UPrimalItem, CreationTime, long double)                                                                          \
    FIELD(UPrimalItem, NextSpoilingTime, long double)                                                                      \
    BIT(UPrimalItem, bIsEngram)                                                                                            \
    BIT(UPrimalItem, bIsInitialItem)                                                                                       \
    FUNCTION(UPrimalItem, GetItemQuantity, int(UPrimalItem*))                                                              \
    FUNCTION(UPrimalItem, GetItemBytes, void(UPrimalItem*, TArray<unsigned char>*))                                        \
    FUNCTION(UPrimalItem, AddItemDurability, void(UPrimalItem*, float))                                                    \
    FUNCTION(UPrimalItem, CanSpoil, bool(UPrimalItem*))                                                                    \
    FUNCTION(UPrimalItem, GetSpoilingTime, float(UPrimalItem*))                                                            \
    FUNCTION(UPrimalItem, UpdatedItem, void(UPrimalItem*, bool))                                                           \
    FUNCTION(UPrimalItem, CreateFromBytes, UPrimalItem*(TArray<unsigned char>*))                                           \
    FIELD(UPrimalInventoryComponent, InventoryItems, TArray<UPrimalItem*>)                                                 \
    FUNCTION(UPrimalInventoryComponent, RemoveItem, bool(UPrimalInventoryComponent*, FItemNetID*, bool, bool, bool, bool)) \
    FUNCTION(UPrimalInventoryComponent, AddItemObject, UPrimalItem*(UPrimalInventoryComponent*, UPrimalItem*))             \
    FUNCTION(UPrimalInventoryComponent, GetCurrentNumInventoryItems, int(UPrimalInventoryComponent*))                      \
    FIELD(AActor, DefaultActorLocation, FVector)                                                                           \
    FUNCTION(APawn, GetCharacterController, AController*(APawn*))                                                          \
    FUNCTION(APrimalCharacter, IsDead, bool(APrimalCharacter*))                                                            \
    FUNCTION(APrimalCharacter, TakeDamage, float(APrimalCharacter*, float, FDamageEvent*, AController*, AActor*))          \
    FUNCTION(AShooterCharacter, GetPrivateStaticClass, UClass*())                                                          \
    FIELD(AShooterCharacter, PlayerName, FString)                                                                          \
    FUNCTION(AShooterPlayerController, StaticClass, UClass*())                                                             \
    FUNCTION(AShooterPlayerController, GetPlayerCharacter, AShooterCharacter*(AShooterPlayerController*))                  \
    FUNCTION(AShooterPlayerController, GetUniqueNetIdAsUINT64, std::uint64_t(AShooterPlayerController*))                   \
    FUNCTION(AShooterPlayerController, GetPlayerInventoryComponent, UPrimalInventoryComponent*(AShooterPlayerController*)) \
    FUNCTION(AShooterPlayerController, GiveItem,                                                                           \
             bool(AShooterPlayerController*, TArray<UPrimalItem*>*, FString*, int, float, bool, bool, float))              \
    FUNCTION(AShooterPlayerController, ClientChatMessage, void(AShooterPlayerController*, FChatMessage))                   \
    FUNCTION(AShooterPlayerController, ClientServerChatDirectMessage,                                                      \
             void(AShooterPlayerController*, FString*, FLinearColor, bool))                                                \
    FUNCTION(AShooterPlayerController, ClientServerSOTFNotificationCustom,                                                 \
             void(AShooterPlayerController*, FString*, FLinearColor, float, float, UTexture2D*, USoundBase*))              \
    FIELD(APrimalTargetableActor, DescriptiveName, FString)                                                                \
    FUNCTION(APrimalTargetableActor, StaticClass, UClass*())                                                               \
    FUNCTION(APrimalStructureItemContainer, GetPrivateStaticClass, UClass*())                                              \
    FUNCTION(UWorld, GetTimeSeconds, double(UWorld*))                                                                      \
    FIELD(UWorld, AuthorityGameMode, AGameMode*)                                                                           \
    FIELD(UWorld, PlayerControllerList, TArray<TAutoWeakObjectPtr<APlayerController>>)                                     \
    FUNCTION(AShooterGameMode, SaveWorld, void(AShooterGameMode*))                                                         \
    FIELD(AShooterGameMode, LastSaveWorldTime, FDateTime)                                                                  \
    FUNCTION(AShooterGameMode, HandleNewPlayer_Implementation,                                                             \
             bool(AShooterGameMode*, AShooterPlayerController*, UPrimalPlayerData*, AShooterCharacter*, bool))             \
    FUNCTION(UVictoryCore, ServerOctreeOverlapActors,                                                                      \
             TArray<AActor*>*(TArray<AActor*>*, UWorld*, FVector, float, EServerOctreeGroup::Type, bool))                  \
    FUNCTION(UVictoryCore, ClassToStringReference, void(FString*, UClass*))                                                \
    FUNCTION(UKismetSystemLibrary, SphereOverlapActors_NEW,                                                                \
             bool(UObject*, FVector, float, TArray<TEnumAsByte<EObjectTypeQuery>>*, UClass*, TArray<AActor*>*,             \
                  TArray<AActor*>*))                                                                                       \
    FUNCTION(RCONClientConnection, SendMessageW, void(RCONClientConnection*, int, int, FString*))

namespace GameNames {

#define LOCKBURY_GAME_FUNCTION(cls, member, ...) \
    inline constexpr ArkApi::GameFunction<__VA_ARGS__> cls##_##member{#cls "." #member};
#define LOCKBURY_GAME_FIELD(cls, member, ...) \
    inline constexpr ArkApi::GameField<__VA_ARGS__> cls##_##member{#cls "." #member};
#define LOCKBURY_GAME_BIT(cls, member) inline constexpr ArkApi::GameBitField cls##_##member{#cls "." #member};
LOCKBURY_GAME_NAMES(LOCKBURY_GAME_FUNCTION, LOCKBURY_GAME_FIELD, LOCKBURY_GAME_BIT)
#undef LOCKBURY_GAME_FUNCTION
#undef LOCKBURY_GAME_FIELD
#undef LOCKBURY_GAME_BIT

}  // namespace GameNames
