#pragma once
#include "GameMode.h"

struct UWorld : UObject {
    long double GetTimeSeconds() { return GameNames::UWorld_GetTimeSeconds(this); }
    AGameMode* AuthorityGameModeField() { return GameNames::UWorld_AuthorityGameMode.Of(this); }
    // The controllers of the players on the server now.
    TArray<TAutoWeakObjectPtr<APlayerController>>& PlayerControllerListField() {
        return GameNames::UWorld_PlayerControllerList.Of(this);
    }
};

// Actor groups of the server's spatial octree.
namespace EServerOctreeGroup {
enum Type : int { STASISCOMPONENTS = 0, PLAYERPAWNS = 1, DINOPAWNS = 2, PAWNS = 3, STRUCTURES = 4, MAX = 5 };
}

struct UVictoryCore : UObject {
    // Fills and returns the result array with the actors of the group within radius of location.
    static TArray<AActor*>* ServerOctreeOverlapActors(TArray<AActor*>* result, UWorld* world, FVector location,
                                                      float radius, EServerOctreeGroup::Type octreeGroup,
                                                      bool bForceActorLocationDistanceCheck) {
        return GameNames::UVictoryCore_ServerOctreeOverlapActors(result, world, location, radius, octreeGroup,
                                                                 bForceActorLocationDistanceCheck);
    }
    static FString* ClassToStringReference(FString* result, TSubclassOf<UObject> obj) {
        GameNames::UVictoryCore_ClassToStringReference(result, obj.uClass);
        return result;
    }
};

struct UKismetSystemLibrary : UObject {
    static bool SphereOverlapActors_NEW(UObject* worldContextObject, FVector spherePos, float sphereRadius,
                                        TArray<TEnumAsByte<EObjectTypeQuery>>* objectTypes, UClass* actorClassFilter,
                                        TArray<AActor*>* actorsToIgnore, TArray<AActor*>* outActors) {
        return GameNames::UKismetSystemLibrary_SphereOverlapActors_NEW(
            worldContextObject, spherePos, sphereRadius, objectTypes, actorClassFilter, actorsToIgnore, outActors);
    }
};
