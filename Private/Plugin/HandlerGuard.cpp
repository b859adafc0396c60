#include "Private/Plugin/HandlerGuard.h"

#include "Private/Plugin/Log.h"

namespace Lockbury {

void LogStoppedError(const char* file, const char* function, const char* what) noexcept {
    LogAt(spdlog::level::err, {file, function}, "{}", what);
}

}  // namespace Lockbury
