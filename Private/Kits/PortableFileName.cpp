#include "Private/Kits/PortableFileName.h"

#include <array>
#include <string>

#include "Private/Text/Utf8.h"

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

wchar_t UpperCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 0x20);
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : static_cast<wchar_t>(c - 0x20);  // Latin-1, not the division sign
    if (c == 0xFF) return 0x178;  // ÿ
    // Latin Extended-A: pairs of capital and small letter, the capital first (even, or odd); the
    // dotted and dotless i (U+0130, U+0131) pair with plain I and stand for themselves here.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<wchar_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1u) ? c : static_cast<wchar_t>(c - 1);
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<wchar_t>(c - 0x20);  // Greek
    if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 0x20);  // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);  // Cyrillic Ѐ-Џ
    return c;
}

}  // namespace

std::wstring FileNameCaseKey(std::string_view utf8) {
    std::wstring key = Text::Utf8ToWide(utf8);
    for (wchar_t& c : key) c = UpperCase(c);
    return key;
}

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
