#include "Private/Guards/Transmitter.h"

#include <string>
#include <vector>

#include "Host/ArkApi.h"
#include "Host/TextSearch.h"
#include "Private/Config/Config.h"

namespace Lockbury {
namespace {

// The items of a configured list in order: an array's elements, an object's values, a single
// value itself, nothing for null. Items are checked for being strings only when reached.
std::vector<const nlohmann::ordered_json*> ListItems(const nlohmann::ordered_json& list) {
    std::vector<const nlohmann::ordered_json*> items;
    if (list.is_null()) return items;
    if (list.is_array() || list.is_object()) {
        for (const auto& item : list) items.push_back(&item);
    } else {
        items.push_back(&list);
    }
    return items;
}

bool MatchesAny(const FString& text, const std::vector<const nlohmann::ordered_json*>& patterns) {
    for (const auto* pattern : patterns) {
        const FString wide(std::string_view(pattern->get<std::string>()));
        if (ContainsIgnoreCase(text, wide)) return true;
    }
    return false;
}

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
    TArray<EObjectTypeQuery> objectTypes;
    TArray<AActor*> ignored;
    UClass* containerClass = APrimalStructureItemContainer::GetPrivateStaticClass();
    UKismetSystemLibrary::SphereOverlapActors_NEW(world, location, radius, &objectTypes, containerClass, &ignored, &found);
    return found;
}

bool IsNearTransmitter(FVector location) {
    const float radius = ReadRadius();
    const nlohmann::ordered_json list = Config()["validTransmitter"];
    const auto patterns = ListItems(list);

    for (AActor* actor : OctreeActors(location, radius)) {
        if (actor && MatchesAny(actor->NameField().ToString(), patterns)) return true;
    }
    for (AActor* actor : ContainerActors(location, radius)) {
        if (actor && MatchesAny(GetBlueprintPath(actor), patterns)) return true;
    }
    return false;
}

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
