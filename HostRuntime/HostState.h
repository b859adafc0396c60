#pragma once
// What the simulator tells the host runtime about the running game: the world, the server's
// folder, the wall-clock shift, and the host's own log of faults that escaped the plugin.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace HostRuntime {

ARK_HOST_API void SetWorld(UWorld* world);
// The game mode, once the game made it (GetShooterGameMode answers null before).
ARK_HOST_API void SetGameMode(AShooterGameMode* mode);
// The wall clock as the plugin's time() sees it: the real one, or the frozen time, plus the shift.
ARK_HOST_API std::time_t WallClock();
ARK_HOST_API void SetCurrentDir(const std::string& dir);
ARK_HOST_API void SetClockOffset(std::int64_t seconds);
ARK_HOST_API std::int64_t ClockOffset();
// Makes the wall clock stand at the given time (shifts still apply); 0 lets it run again.
ARK_HOST_API void SetFrozenClock(std::int64_t at);

// Errors that escaped a handler or hook into the host (each one is a plugin fault).
ARK_HOST_API void RecordEscapedError(const std::string& text);
ARK_HOST_API std::vector<std::string> EscapedErrors();
ARK_HOST_API void ClearEscapedErrors();

// The sink behind GetLogSinks: keeps every formatted line.
ARK_HOST_API const std::vector<std::string>& LogLines();
ARK_HOST_API void ClearLogLines();
// Called with every formatted log line as it is written (null: none).
ARK_HOST_API void SetLogEcho(std::function<void(const std::string&)> echo);

}  // namespace HostRuntime
