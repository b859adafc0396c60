#include "Private/Plugin/Log.h"

#include "Host/ArkApi.h"

namespace Lockbury {

std::shared_ptr<spdlog::logger>& GetLog() {
    // Not put into spdlog's registry: a reload must be able to make a logger of the same name.
    static std::shared_ptr<spdlog::logger> holder;
    return holder;
}

void MakeLog() {
    auto& sinks = GetLogSinks();
    auto log = std::make_shared<spdlog::logger>("Lockbury", sinks.begin(), sinks.end());
    log->set_pattern("%D %R [%n][%l] %v", spdlog::pattern_time_type::local);
    log->set_level(spdlog::level::info);
    log->flush_on(spdlog::level::info);
    GetLog() = std::move(log);
}

}  // namespace Lockbury
