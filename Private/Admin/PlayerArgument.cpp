#include "Private/Admin/PlayerArgument.h"
#include "Private/Text/Format.h"

#include <charconv>
#include <vector>

#include "Host/ArkApi.h"
#include "Private/Text/TextSearch.h"

namespace Lockbury::Admin {

PlayerArgument FindPlayer(const FString& word) {
    PlayerArgument found;
    const std::string text = word.ToString();
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
        if (id == 0) {
            found.error = "0 is not a steam id";
            return found;
        }
        found.steamId = id;
        found.label = text;
        return found;
    }
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    std::vector<std::pair<std::string, std::uint64_t>> matches;
    if (world) {
        for (auto& weak : world->PlayerControllerListField()) {
            auto* player = static_cast<AShooterPlayerController*>(weak.Get());
            if (!player || !player->IsValidLowLevelFast(true)) continue;
            AShooterCharacter* character = player->GetPlayerCharacter();
            if (!character || !character->IsValidLowLevelFast(true)) continue;
            // Same length and contained: equal but for case.
            const FString& name = character->PlayerNameField();
            if (name.Len() == word.Len() && ContainsIgnoreCase(name, word))
                matches.emplace_back(name.ToString(), player->GetUniqueNetIdAsUINT64());
        }
    }
    if (matches.size() == 1) {
        found.steamId = matches.front().second;
        found.label = Format("{} ({})", matches.front().first, found.steamId);
    } else if (matches.empty()) {
        found.error = Format("No player named \"{}\" is on this server; give the steam id", text);
    } else {
        found.error = Format("{} players here are named \"{}\"; give the steam id", matches.size(), text);
    }
    return found;
}

}  // namespace Lockbury::Admin
