#pragma once
#include "Item.h"

struct AActor : UObject {
    FVector& DefaultActorLocationField() { return GetNativeField<FVector>(this, "AActor.DefaultActorLocation"); }
};

struct AController;

struct APawn : AActor {
    AController* GetCharacterController() { return NativeCall<AController*>(this, "APawn.GetCharacterController"); }
};

struct ACharacter : APawn {};

struct APrimalCharacter : ACharacter {
    bool IsDead() { return NativeCall<bool>(this, "APrimalCharacter.IsDead"); }
    float TakeDamage(float damage, FDamageEvent* damageEvent, AController* instigator, AActor* causer) {
        return NativeCall<float, float, FDamageEvent*, AController*, AActor*>(this, "APrimalCharacter.TakeDamage", damage,
                                                                              damageEvent, instigator, causer);
    }
};

struct AShooterCharacter : APrimalCharacter {
    static UClass* GetPrivateStaticClass() { return NativeCallStatic<UClass*>("AShooterCharacter.GetPrivateStaticClass"); }
};

struct AController : AActor {};
struct APlayerController : AController {};

struct AShooterPlayerController : APlayerController {
    static UClass* StaticClass() { return NativeCallStatic<UClass*>("AShooterPlayerController.StaticClass"); }
    AShooterCharacter* GetPlayerCharacter() {
        return NativeCall<AShooterCharacter*>(this, "AShooterPlayerController.GetPlayerCharacter");
    }
    uint64 GetUniqueNetIdAsUINT64() { return NativeCall<uint64>(this, "AShooterPlayerController.GetUniqueNetIdAsUINT64"); }
    UPrimalInventoryComponent* GetPlayerInventoryComponent() {
        return NativeCall<UPrimalInventoryComponent*>(this, "AShooterPlayerController.GetPlayerInventoryComponent");
    }
    // Makes a stack of the blueprint's item; true when something was given.
    bool GiveItem(TArray<UPrimalItem*>* outItems, FString* blueprintPath, int quantityOverride, float qualityOverride,
                  bool forceBlueprint, bool autoEquip, float minRandomQuality) {
        return NativeCall<bool, TArray<UPrimalItem*>*, FString*, int, float, bool, bool, float>(
            this, "AShooterPlayerController.GiveItem", outItems, blueprintPath, quantityOverride, qualityOverride,
            forceBlueprint, autoEquip, minRandomQuality);
    }
    void ClientChatMessage(FChatMessage chat) {
        NativeCall<void, FChatMessage>(this, "AShooterPlayerController.ClientChatMessage", std::move(chat));
    }
    void ClientServerChatDirectMessage(FString* message, FLinearColor colour, bool bIsBold) {
        NativeCall<void, FString*, FLinearColor, bool>(this, "AShooterPlayerController.ClientServerChatDirectMessage",
                                                       message, colour, bIsBold);
    }
    void ClientServerSOTFNotificationCustom(FString* message, FLinearColor colour, float displayScale, float displayTime,
                                            UTexture2D* icon, USoundBase* sound) {
        NativeCall<void, FString*, FLinearColor, float, float, UTexture2D*, USoundBase*>(
            this, "AShooterPlayerController.ClientServerSOTFNotificationCustom", message, colour, displayScale, displayTime,
            icon, sound);
    }
};

struct APrimalTargetableActor : AActor {
    static UClass* StaticClass() { return NativeCallStatic<UClass*>("APrimalTargetableActor.StaticClass"); }
    FString& DescriptiveNameField() { return GetNativeField<FString>(this, "APrimalTargetableActor.DescriptiveName"); }
};
struct APrimalStructure : APrimalTargetableActor {};
struct APrimalStructureItemContainer : APrimalStructure {
    static UClass* GetPrivateStaticClass() {
        return NativeCallStatic<UClass*>("APrimalStructureItemContainer.GetPrivateStaticClass");
    }
};
