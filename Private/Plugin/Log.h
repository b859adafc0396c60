#pragma once
#include <memory>

#include "Host/ArkApi.h"
#include "Private/Text/Format.h"

namespace Lockbury {
// The plugin logger ("Lockbury" on the host's sinks); made by Load.
std::shared_ptr<spdlog::logger>& GetLog();
// Makes the logger with the plugin's settings, replacing the one held before.
void MakeLog();

// Where a line of the plugin's own code comes from: its source folder and qualified function.
struct LogPlace {
    const char* file;  // "Private/Commands"
    const char* function;  // "Lockbury::Commands::LoadVault"
};

// One line "(<file> <function>) <text>" at the given level, when there is a logger. Never
// throws: a line that cannot be written must not stop what was being reported.
template <typename... Args>
void LogAt(spdlog::level::level_enum level, LogPlace place, const char* format, const Args&... args) noexcept {
    try {
        if (auto& log = GetLog()) log->log(level, "({} {}) {}", place.file, place.function, Format(format, args...));
    } catch (...) {
    }
}
}  // namespace Lockbury
