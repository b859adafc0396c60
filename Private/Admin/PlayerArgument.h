#pragma once
// The PLAYER of an administrator's command: a steam id, or the name of a player on this server.
#include <cstdint>
#include <string>

#include "Host/ArkApi.h"

namespace Lockbury::Admin {

struct PlayerArgument {
    std::uint64_t steamId = 0;  // 0: not found, and error says why
    std::string label;  // how replies name the player: "Ann (76561198000000001)" or the id alone
    std::string error;
};

// Digits alone are a steam id, whether or not its player is here; anything else must be the
// name of exactly one player on the server, ignoring case.
PlayerArgument FindPlayer(const FString& word);

}  // namespace Lockbury::Admin
