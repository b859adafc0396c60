#pragma once
// The simulator's side of the command tables: it types chat and console lines into them and
// hands them the RCON packets its clients send.
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace HostRuntime {

// The command whose name equals the first word of the line (ignoring case) gets the whole
// line; true when one took it. An error escaping the handler is stopped here and kept in the
// host log (EscapedErrors), as the game would survive it.
ARK_HOST_API bool DispatchChat(AShooterPlayerController* player, FString* line, EChatSendMode::Type mode);
ARK_HOST_API bool DispatchConsole(APlayerController* player, FString* line, bool checkAuth);
// The same by the packet's Body; the command replies through the connection. False leaves the
// packet to the game.
ARK_HOST_API bool DispatchRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);

// The framework's per-frame and once-a-second callbacks, in the order they were added; an error
// escaping one is kept in the host log.
ARK_HOST_API void RunTickCallbacks(float seconds);
ARK_HOST_API void RunTimerCallbacks();

// Registered command names, in the order they were added (UTF-8).
ARK_HOST_API std::vector<std::string> ChatCommandNames();
ARK_HOST_API std::vector<std::string> ConsoleCommandNames();
ARK_HOST_API std::vector<std::string> RconCommandNames();
// The ids of the tick and timer callbacks, in the order they were added (UTF-8).
ARK_HOST_API std::vector<std::string> TickCallbackIds();
ARK_HOST_API std::vector<std::string> TimerCallbackIds();

}  // namespace HostRuntime
