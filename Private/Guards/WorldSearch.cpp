#include "Private/Guards/WorldSearch.h"

#include "Host/ArkApi.h"
#include "Private/Config/Config.h"

namespace Lockbury {

float ReadRadius() { return static_cast<float>(ConfigInt("radius")); }

TArray<AActor*> OctreeActors(FVector location, float radius) {
    TArray<AActor*> found;
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    if (!world) return found;
    UVictoryCore::ServerOctreeOverlapActors(&found, world, location, radius, EServerOctreeGroup::STRUCTURES, false);
    return found;
}

TArray<AActor*> ContainerActors(FVector location, float radius) {
    TArray<AActor*> found;
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    if (!world) return found;
    TArray<TEnumAsByte<EObjectTypeQuery>> objectTypes;
    TArray<AActor*> ignored;
    UClass* containerClass = APrimalStructureItemContainer::GetPrivateStaticClass();
    UKismetSystemLibrary::SphereOverlapActors_NEW(world, location, radius, &objectTypes, containerClass, &ignored, &found);
    return found;
}

}  // namespace Lockbury
