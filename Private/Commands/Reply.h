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

}  // namespace Lockbury::Commands
