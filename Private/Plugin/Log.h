#pragma once
#include <spdlog/spdlog.h>

#include <memory>
#include <utility>

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
void LogAt(spdlog::level::level_enum level, LogPlace place, fmt::format_string<Args...> format, Args&&... args) noexcept {
    try {
        if (auto& log = GetLog())
            log->log(level, "({} {}) {}", place.file, place.function, fmt::format(format, std::forward<Args>(args)...));
    } catch (...) {
    }
}
}  // namespace Lockbury
