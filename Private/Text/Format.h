#pragma once
// The plugin's formatting: Formatting::Format (Database/Text/Format.h) with the game's text types
// written as their UTF-8, so that one format works with the framework's fmt 4.1 and with ours.
#include <string>
#include <utility>

#include "Database/Text/Format.h"
#include "Private/Text/Utf8.h"

namespace Lockbury {

// Used only on an argument of the formatting call it appears in, so the reference never outlives it.
template <typename T>
const T& Printable(const T& value) {
    return value;  // NOLINT(bugprone-return-const-ref-from-parameter)
}
inline std::string Printable(const FString& text) { return text.ToString(); }

// Throws on a format the values do not fit.
template <typename... Args>
std::string Format(const char* format, const Args&... args) {
    return Formatting::Format(format, Printable(args)...);
}
template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
    return Formatting::Format(format.c_str(), Printable(args)...);
}

// The same, decoded into the game's text.
template <typename... Args>
FString FormatText(const char* format, const Args&... args) {
    return Text::FromUtf8(Format(format, args...));
}
template <typename... Args>
FString FormatText(const std::string& format, const Args&... args) {
    return Text::FromUtf8(Format(format, args...));
}

}  // namespace Lockbury
