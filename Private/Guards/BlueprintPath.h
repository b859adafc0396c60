#pragma once
// The blueprint path of an object's class, the form the vault rows and the transmitter patterns
// use.
#include "Host/ArkApi.h"

namespace Lockbury {

// "Blueprint'<path>'" of the object's class, or empty (no object, no class, no default object,
// or a full name without a space).
FString GetBlueprintPath(UObjectBase* object);

}  // namespace Lockbury
