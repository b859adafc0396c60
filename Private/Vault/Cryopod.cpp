#include "Private/Vault/Cryopod.h"

#include "Host/ArkApi.h"
#include "Private/Text/TextSearch.h"

namespace Lockbury {

namespace {
constexpr double kCryopodCreationAhead = 3600.0;  // seconds
}

bool RestartCryopod(UPrimalItem* added, float storedDurability) {
    if (!ContainsIgnoreCase(added->NameField().ToString(), FString("PrimalItem_WeaponEmptyCryopod"))) return false;
    added->AddItemDurability(storedDurability);
    if (UWorld* world = ArkApi::GetApiUtils().GetWorld())
        added->CreationTimeField() = world->GetTimeSeconds() + kCryopodCreationAhead;
    added->UpdatedItem(false);
    return true;
}

}  // namespace Lockbury
