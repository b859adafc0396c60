#pragma once
// The two overlap searches around a position that the transmitter rule and the structure dump
// share, and the configured radius they take.
#include "Host/ArkApi.h"

namespace Lockbury {

// "radius" read as an integer (no default: type error 302), as the searches take it.
float ReadRadius();
// The structures of the server's octree within radius of location.
TArray<AActor*> OctreeActors(FVector location, float radius);
// The item containers within radius of location.
TArray<AActor*> ContainerActors(FVector location, float radius);

}  // namespace Lockbury
