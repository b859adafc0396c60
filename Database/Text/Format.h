#pragma once
// The plugin's one way to format text. On a live server the plugin sees only the fmt 4.1 that the
// framework bundles with its spdlog; the Linux build has Debian's current fmt. Both take the same
// "{}" formats, given at run time, with the plain argument types this header passes on: numbers,
// bool, char, const char* and std::string (a string_view becomes a std::string).
#include <spdlog/fmt/fmt.h>

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Formatting {

// Used only on an argument of the formatting call it appears in, so the reference never outlives it.
template <typename T>
const T& Plain(const T& value) {
    return value;  // NOLINT(bugprone-return-const-ref-from-parameter)
}
inline std::string Plain(std::string_view text) { return std::string(text); }

// Throws on a format the values do not fit (fmt's own error).
template <typename... Args>
std::string Format(const char* format, const Args&... args) {
#if FMT_VERSION >= 80000
    return fmt::format(fmt::runtime(format), Plain(args)...);
#else
    return fmt::format(format, Plain(args)...);
#endif
}

template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
    return Format(format.c_str(), args...);
}

// The values' texts with the separator between them ("1,2,3").
template <typename T>
std::string Join(const std::vector<T>& values, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += separator;
        if constexpr (std::is_convertible_v<const T&, std::string_view>)
            out += std::string_view(values[i]);
        else
            out += Format("{}", values[i]);
    }
    return out;
}

}  // namespace Formatting
