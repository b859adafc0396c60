#pragma once
#include <spdlog/spdlog.h>

#include <memory>

namespace Lockbury {
// The plugin logger ("Lockbury" on the host's sinks); made by Load.
std::shared_ptr<spdlog::logger>& GetLog();
// Makes the logger with the plugin's settings, replacing the one held before.
void MakeLog();
}  // namespace Lockbury
