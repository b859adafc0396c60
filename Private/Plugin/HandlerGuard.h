#pragma once
// The boundary of every handler and of the damage hook: no error raised inside reaches the
// host. A stopped error is logged once, at error level, naming the handler and the error's text.
#include <exception>
#include <utility>

namespace Lockbury {

// Logs "(<file> <function>) <what>" at error level; never throws.
void LogStoppedError(const char* file, const char* function, const char* what) noexcept;

// Runs body; an error it raises is logged and stopped here.
template <typename Body>
void Guarded(const char* file, const char* function, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& e) {
        LogStoppedError(file, function, e.what());
    } catch (...) {
        LogStoppedError(file, function, "unknown error (not a std::exception)");
    }
}

}  // namespace Lockbury
