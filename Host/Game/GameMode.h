#pragma once
#include "Actors.h"

// What the game keeps of a player between sessions; handed to HandleNewPlayer.
struct UPrimalPlayerData : UObject {};

struct AInfo : AActor {};
struct AGameMode : AInfo {};

struct AShooterGameMode : AGameMode {
    // When the world now in memory was last saved (UE4: one int64 of 100 ns ticks since 0001-01-01).
    FDateTime& LastSaveWorldTimeField() { return GameNames::AShooterGameMode_LastSaveWorldTime.Of(this); }
    // The world save; it finishes before the call returns.
    void SaveWorld() { GameNames::AShooterGameMode_SaveWorld(this); }
    // The game's handling of a player who joined, once the player's character is in place.
    bool HandleNewPlayer_Implementation(AShooterPlayerController* newPlayer, UPrimalPlayerData* playerData,
                                        AShooterCharacter* character, bool isFromLogin) {
        return GameNames::AShooterGameMode_HandleNewPlayer_Implementation(this, newPlayer, playerData, character,
                                                                          isFromLogin);
    }
};
