#include "Private/Guards/Transmitter.h"

#include <string>
#include <string_view>
#include <vector>

#include "Private/Config/Config.h"
#include "Private/Guards/BlueprintPath.h"
#include "Private/Guards/WorldSearch.h"
#include "Private/Text/TextSearch.h"

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
        const FString wide = Text::FromUtf8(pattern->get<std::string>());
        if (ContainsIgnoreCase(text, wide)) return true;
    }
    return false;
}

}  // namespace

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

}  // namespace Lockbury
