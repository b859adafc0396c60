#pragma once
#include "Item.h"

struct AActor : UObject {
    FVector& DefaultActorLocationField() { return GameNames::AActor_DefaultActorLocation.Of(this); }
};

struct AController;

struct APawn : AActor {
    AController* GetCharacterController() { return GameNames::APawn_GetCharacterController(this); }
};

struct ACharacter : APawn {};

struct APrimalCharacter : ACharacter {
    bool IsDead() { return GameNames::APrimalCharacter_IsDead(this); }
    float TakeDamage(float damage, FDamageEvent* damageEvent, AController* instigator, AActor* causer) {
        return GameNames::APrimalCharacter_TakeDamage(this, damage, damageEvent, instigator, causer);
    }
};

struct AShooterCharacter : APrimalCharacter {
    static UClass* GetPrivateStaticClass() { return GameNames::AShooterCharacter_GetPrivateStaticClass(); }
    FString& PlayerNameField() { return GameNames::AShooterCharacter_PlayerName.Of(this); }
};

struct AController : AActor {};
struct APlayerController : AController {};

struct AShooterPlayerController : APlayerController {
    static UClass* StaticClass() { return GameNames::AShooterPlayerController_StaticClass(); }
    AShooterCharacter* GetPlayerCharacter() { return GameNames::AShooterPlayerController_GetPlayerCharacter(this); }
    uint64 GetUniqueNetIdAsUINT64() { return GameNames::AShooterPlayerController_GetUniqueNetIdAsUINT64(this); }
    UPrimalInventoryComponent* GetPlayerInventoryComponent() {
        return GameNames::AShooterPlayerController_GetPlayerInventoryComponent(this);
    }
    // Makes a stack of the blueprint's item; true when something was given.
    bool GiveItem(TArray<UPrimalItem*>* outItems, FString* blueprintPath, int quantityOverride, float qualityOverride,
                  bool forceBlueprint, bool autoEquip, float minRandomQuality) {
        return GameNames::AShooterPlayerController_GiveItem(this, outItems, blueprintPath, quantityOverride,
                                                            qualityOverride, forceBlueprint, autoEquip, minRandomQuality);
    }
    void ClientChatMessage(FChatMessage chat) {
        GameNames::AShooterPlayerController_ClientChatMessage(this, std::move(chat));
    }
    void ClientServerChatDirectMessage(FString* message, FLinearColor colour, bool bIsBold) {
        GameNames::AShooterPlayerController_ClientServerChatDirectMessage(this, message, colour, bIsBold);
    }
    void ClientServerSOTFNotificationCustom(FString* message, FLinearColor colour, float displayScale, float displayTime,
                                            UTexture2D* icon, USoundBase* sound) {
        GameNames::AShooterPlayerController_ClientServerSOTFNotificationCustom(this, message, colour, displayScale,
                                                                               displayTime, icon, sound);
    }
};

struct APrimalTargetableActor : AActor {
    static UClass* StaticClass() { return GameNames::APrimalTargetableActor_StaticClass(); }
    FString& DescriptiveNameField() { return GameNames::APrimalTargetableActor_DescriptiveName.Of(this); }
};
struct APrimalStructure : APrimalTargetableActor {};
struct APrimalStructureItemContainer : APrimalStructure {
    static UClass* GetPrivateStaticClass() { return GameNames::APrimalStructureItemContainer_GetPrivateStaticClass(); }
};
