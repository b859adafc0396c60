#include "Private/Dumps/ItemBlueprintPath.h"

#include "Host/Game/World.h"

namespace Lockbury {

FString GetItemBlueprintPath(UPrimalItem* item) {
    UClass* itemClass = item->ClassField();
    if (!itemClass) return FString();
    const FString reference = UVictoryCore::ClassToStringReference(itemClass);
    const std::u16string_view text = reference.View();
    const std::u16string_view kept = text.size() < 2 ? std::u16string_view() : text.substr(0, text.size() - 2);
    return FString("Blueprint'") + FString(kept) + FString("'");
}

}  // namespace Lockbury
