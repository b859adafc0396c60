#include "Private/Guards/BlueprintPath.h"

#include <string>
#include <string_view>

namespace Lockbury {
namespace {

void RemoveAll(std::u16string& text, std::u16string_view what) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        from = at + what.size();
    }
    out.append(text, from, std::u16string::npos);
    text = std::move(out);
}

}  // namespace

FString GetBlueprintPath(UObjectBase* object) {
    if (!object) return {};
    UClass* objectClass = object->ClassField();
    if (!objectClass) return {};
    UObject* defaults = objectClass->GetDefaultObject(true);
    if (!defaults) return {};

    // "<class name> <path>"; the path of a blueprint's default object ends in "Default__Name_C".
    const FString fullName = defaults->GetFullName(nullptr);
    const std::u16string_view full = fullName.View();
    const std::size_t space = full.find(u' ');
    if (space == std::u16string_view::npos) return {};
    const std::size_t cut = full.ends_with(u"_C") ? 3 : 1;
    std::u16string path(full.substr(space + 1, full.size() - space - cut));
    RemoveAll(path, u"Default__");
    return FString(std::u16string_view(u"Blueprint'" + path + u"'"));
}

}  // namespace Lockbury
