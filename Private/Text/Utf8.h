#pragma once
// UTF-8 and the game's wide text. FString::ToString gives UTF-8 in both builds, but the framework's
// FString(const char*) reads bytes as ANSI, so text coming in as UTF-8 (config.json, the database,
// kit files) is decoded here. TCHAR is wchar_t: UTF-16 units on Windows, UTF-32 on Linux.
#include <string>
#include <string_view>

#include "Host/ArkApi.h"

namespace Lockbury::Text {

// Invalid or truncated sequences become U+FFFD, one per byte that could not be read.
std::wstring Utf8ToWide(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

inline FString FromUtf8(std::string_view utf8) { return FString(Utf8ToWide(utf8)); }
// The characters before the terminator.
inline std::wstring_view Units(const FString& text) { return {*text, static_cast<std::size_t>(text.Len())}; }

}  // namespace Lockbury::Text
