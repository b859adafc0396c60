#pragma once
// Whether a player stands near a transmitter: actors around a position whose object name (first
// search) or blueprint path (second search, item containers only) holds one of the configured
// "validTransmitter" patterns, ignoring case.
#include "Host/Game/World.h"

namespace Lockbury {

bool IsNearTransmitter(FVector location);

// "Blueprint'<path>'" of the object's class, or empty (no object, no class, no default object,
// or a full name without a space).
FString GetBlueprintPath(UObjectBase* object);

// "radius" read as an integer (no default: type error 302), as the searches take it.
float ReadRadius();
// The structures of the server's octree within radius of location.
TArray<AActor*> OctreeActors(FVector location, float radius);
// The item containers within radius of location.
TArray<AActor*> ContainerActors(FVector location, float radius);

}  // namespace Lockbury
