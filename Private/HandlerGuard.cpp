#include "Private/HandlerGuard.h"

#include "Private/Log.h"

namespace Lockbury {

void LogStoppedError(const char* file, const char* function, const char* what) noexcept {
    try {
        if (auto& log = GetLog()) log->error("({} {}) {}", file, function, what);
    } catch (...) {
        // Logging itself failed; there is nowhere left to report to.
    }
}

}  // namespace Lockbury
