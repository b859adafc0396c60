#pragma once
#include "Actors.h"

// What the game keeps of a player between sessions; handed to HandleNewPlayer.
struct UPrimalPlayerData : UObject {};

struct AInfo : AActor {};
struct AGameMode : AInfo {};

struct AShooterGameMode : AGameMode {
    // When the world now in memory was saved: UTC seconds since the epoch; 0 for a world never saved.
    double& LastSaveWorldTimeField() { return GameNames::AShooterGameMode_LastSaveWorldTime.Of(this); }
    // The world save; forceSynchronous makes it finish before the call returns.
    void SaveWorld(bool forceSynchronous) { GameNames::AShooterGameMode_SaveWorld(this, forceSynchronous); }
    // The game's handling of a player who joined, once the player's character is in place.
    bool HandleNewPlayer_Implementation(AShooterPlayerController* newPlayer, UPrimalPlayerData* playerData,
                                        AShooterCharacter* character, bool isFromLogin) {
        return GameNames::AShooterGameMode_HandleNewPlayer_Implementation(this, newPlayer, playerData, character,
                                                                          isFromLogin);
    }
};
