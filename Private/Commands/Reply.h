#pragma once
// A vault command's answer: the configured text of a message key, from the configured sender.
#include <utility>

#include "Host/ArkApi.h"
#include "Private/Config.h"

namespace Lockbury::Commands {

template <typename... Args>
void Reply(AShooterPlayerController* player, const char* key, Args&&... args) {
    ArkApi::GetApiUtils().SendChatMessage(player, GetMessage("sender"), GetMessage(key), std::forward<Args>(args)...);
}

// The store failed: said as a failure, never as an empty answer.
inline void ReplyStoreUnavailable(AShooterPlayerController* player) {
    ArkApi::GetApiUtils().SendChatMessage(
        player, GetMessage("sender"),
        GetMessage("storeUnavailable", "The vault store cannot be reached right now; nothing was moved."));
}

}  // namespace Lockbury::Commands
