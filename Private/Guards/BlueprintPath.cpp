#include "Private/Guards/BlueprintPath.h"

#include <string>
#include <string_view>

#include "Private/Text/Utf8.h"

namespace Lockbury {
namespace {

void RemoveAll(std::wstring& text, std::wstring_view what) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        from = at + what.size();
    }
    out.append(text, from, std::wstring::npos);
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
    FString fullName;
    defaults->GetFullName(&fullName, nullptr);
    const std::wstring_view full = Text::Units(fullName);
    const std::size_t space = full.find(L' ');
    if (space == std::wstring_view::npos) return {};
    const std::size_t cut = full.ends_with(L"_C") ? 3 : 1;
    std::wstring path(full.substr(space + 1, full.size() - space - cut));
    RemoveAll(path, L"Default__");
    return FString(L"Blueprint'" + path + L"'");
}

}  // namespace Lockbury
