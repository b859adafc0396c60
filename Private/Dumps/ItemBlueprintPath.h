#pragma once
#include "Host/ArkApi.h"

namespace Lockbury {

// "Blueprint'" + the class's string reference less its last two characters + "'", or empty
// for an item without a class.
FString GetItemBlueprintPath(UPrimalItem* item);

}  // namespace Lockbury
