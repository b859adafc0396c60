#include "Private/Dumps/ItemBlueprintPath.h"

#include <string>

#include "Host/ArkApi.h"
#include "Private/Text/Utf8.h"

namespace Lockbury {

FString GetItemBlueprintPath(UPrimalItem* item) {
    UClass* itemClass = item->ClassField();
    if (!itemClass) return FString();
    FString reference;
    UVictoryCore::ClassToStringReference(&reference, TSubclassOf<UObject>(itemClass));
    const std::wstring_view text = Text::Units(reference);
    const std::wstring_view kept = text.size() < 2 ? std::wstring_view() : text.substr(0, text.size() - 2);
    return FString(L"Blueprint'" + std::wstring(kept) + L"'");
}

}  // namespace Lockbury
