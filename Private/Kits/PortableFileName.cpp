#include "Private/Kits/PortableFileName.h"

#include <array>
#include <string>

namespace Lockbury::Kits {

namespace {

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// "0".."9", or the superscript ones Windows also takes as port numbers.
bool IsPortNumber(std::string_view digit) {
    if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
    constexpr std::array<std::string_view, 3> superscripts{"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};  // ¹ ² ³
    for (const auto superscript : superscripts)
        if (digit == superscript) return true;
    return false;
}

}  // namespace

bool IsForbiddenInFileName(char c) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
    return std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
}

bool IsReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const std::string upper = AsciiUpper(base);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    const std::string_view device(upper);
    if (device.size() < 4) return false;
    const std::string_view prefix = device.substr(0, 3);
    return (prefix == "COM" || prefix == "LPT") && IsPortNumber(device.substr(3));
}

bool IsPortableFileName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (const char c : name)
        if (IsForbiddenInFileName(c)) return false;
    return !IsReservedDeviceName(name);
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue;  // continues the character before it
        units += byte >= 0xF0 ? 2 : 1;  // a four-byte character is a surrogate pair
    }
    return units;
}

}  // namespace Lockbury::Kits
