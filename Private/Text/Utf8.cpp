#include "Private/Text/Utf8.h"

namespace Lockbury::Text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at in[i], and how many bytes it took; U+FFFD and 1 for a bad sequence.
std::pair<char32_t, std::size_t> Decode(std::string_view in, std::size_t i) {
    const auto lead = static_cast<unsigned char>(in[i]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t least = 0;  // overlong forms are refused
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, least = 0x10000;
    } else {
        return {kReplacement, 1};
    }
    if (i + length > in.size()) return {kReplacement, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(in[i + k]);
        if ((next & 0xC0) != 0x80) return {kReplacement, 1};
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return {kReplacement, 1};
    return {cp, length};
}

void Encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int continuation = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[continuation] | (cp >> (6 * continuation)));
    for (int k = continuation - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto [cp, used] = Decode(utf8, i);
        i += used;
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (cp >> 10));
                out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto cp = static_cast<char32_t>(wide[i]);
        const bool high = cp >= 0xD800 && cp < 0xDC00;
        if (high && i + 1 < wide.size()) {
            const auto low = static_cast<char32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                Encode(0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00), out);
                ++i;
                continue;
            }
        }
        if ((cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) cp = kReplacement;
        Encode(cp, out);
    }
    return out;
}

}  // namespace Lockbury::Text
