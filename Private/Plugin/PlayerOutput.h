#pragma once
// What the plugin sends a player, always as finished text: the framework's Send* helpers format
// again with its own fmt, so the text goes in as the one argument of "{}" and a brace a player
// typed (or a configured text holds) is sent as it stands.
#include "Host/ArkApi.h"

namespace Lockbury {

// The plugin's colours; the framework's FLinearColor(FColor) has no body a plugin could link.
inline FLinearColor GreenText() { return FLinearColor(0.0f, 1.0f, 0.0f, 1.0f); }
inline FLinearColor RedText() { return FLinearColor(1.0f, 0.0f, 0.0f, 1.0f); }

inline void SendServerLine(AShooterPlayerController* player, FLinearColor colour, const FString& text) {
    ArkApi::GetApiUtils().SendServerMessage(player, colour, L"{}", *text);
}

inline void SendChatLine(AShooterPlayerController* player, const FString& sender, const FString& text) {
    ArkApi::GetApiUtils().SendChatMessage(player, sender, L"{}", *text);
}

inline void SendNotificationLine(AShooterPlayerController* player, FLinearColor colour, float displayScale,
                                 float displaySeconds, const FString& text) {
    ArkApi::GetApiUtils().SendNotification(player, colour, displayScale, displaySeconds, nullptr, L"{}", *text);
}

}  // namespace Lockbury
