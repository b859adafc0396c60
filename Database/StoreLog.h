#pragma once
// What the files of the MySQL store share: their log lines, the id lists of their statements and
// the reading of 64-bit columns. Not part of the store's interface.
#include <spdlog/logger.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Database/Mysql/Results.h"
#include "Database/Text/Format.h"

namespace StoreLog {

// The line a store logs when its first connection fails, as administrators know it: it alone
// names no origin. Every other line of the store begins with its origin, "(Database/File Function)".
inline constexpr const char* kOpenFailed = "Failed to open connection! Check user/pass and port";
inline constexpr const char* kOrigin = "(Database/";

inline bool IsStoreLine(const std::string& line) {
    return line.find(kOpenFailed) != std::string::npos || line.find(kOrigin) != std::string::npos;
}

// One line, when the store was given a log.
// Formatted here rather than by spdlog, whose fmt differs between the builds.
template <typename... Args>
void Line(const std::shared_ptr<spdlog::logger>& log, spdlog::level::level_enum level, const char* format,
          const Args&... args) {
    if (log) log->log(level, "{}", Formatting::Format(format, args...));
}

// Lines name where they come from as "(Database/File MySql::Function)".
inline void LogUnexpected(const std::shared_ptr<spdlog::logger>& log, const char* source, const char* function,
                          const std::exception& error) {
    Line(log, spdlog::level::err, "({} {}) Unexpected DB error {}", source, function, error.what());
}

// "1,2,3" for an IN list.
inline std::string IdList(const std::vector<std::int32_t>& ids) { return Formatting::Join(ids, ","); }

// A 64-bit column, read as its text; false (target unchanged) for NULL.
inline bool GetInt64(ledra::mysql::results& rows, unsigned column, std::int64_t& target) {
    std::string text;
    if (!rows.get(column, text) || text.empty()) return false;
    target = std::stoll(text);
    return true;
}

}  // namespace StoreLog
