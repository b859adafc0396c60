#pragma once
// A vault command's answer: the configured text of a message key, from the configured sender.
#include <utility>

#include "Private/Config/Messages.h"

namespace Lockbury::Commands {

template <typename... Args>
void Reply(AShooterPlayerController* player, const char* key, const Args&... args) {
    SendMessage(player, key, args...);
}

// The store failed: said as a failure, never as an empty answer.
inline void ReplyStoreUnavailable(AShooterPlayerController* player) {
    const FString text =
        FillMessage("storeUnavailable",
                    MessageTemplate("storeUnavailable", "The vault store cannot be reached right now; nothing was moved."));
    SendChatLine(player, MessageTemplate("sender"), text);
}

// A vault command while the player's last move is still in flight (only with a store thread).
inline void ReplyMoveInFlight(AShooterPlayerController* player) {
    const FString text = FillMessage(
        "moveInFlight",
        MessageTemplate("moveInFlight", "Your last vault command is still in progress; try again in a moment."));
    SendChatLine(player, MessageTemplate("sender"), text);
}

}  // namespace Lockbury::Commands
