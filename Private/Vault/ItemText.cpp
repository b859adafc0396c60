#include "Private/Vault/ItemText.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace Lockbury {
namespace {

constexpr unsigned char kNotHex = 0xFF;

constexpr std::array<unsigned char, 256> MakeNibbles() {
    std::array<unsigned char, 256> table{};
    for (auto& v : table) v = kNotHex;
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<unsigned char>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<unsigned char>(c - 'A' + 10);
    return table;
}
constexpr auto kNibbles = MakeNibbles();

// Two output characters per byte, stored as they sit in memory.
struct HexPair {
    char hi, lo;
};
constexpr std::array<HexPair, 256> MakePairs() {
    constexpr char digits[] = "0123456789abcdef";
    std::array<HexPair, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = {digits[b >> 4], digits[b & 15]};
    return table;
}
constexpr auto kPairs = MakePairs();

// Anything that is not two plain hex digits (white space, a sign, "0x", a NUL, an odd last
// piece) is read exactly as strtol reads it, so stored texts keep their old meaning.
unsigned char SlowPiece(const char* piece, std::size_t length) {
    // "0x" with no hex digit after it is the digit 0 in the C standard (glibc, the MSVC runtime);
    // msvcrt.dll, which mingw builds use, reads no digit there. Settled here for every runtime.
    if (length == 2 && piece[0] == '0' && (piece[1] == 'x' || piece[1] == 'X')) return 0;
    char buffer[3] = {0, 0, 0};
    std::memcpy(buffer, piece, length);
    char* end = nullptr;
    const long value = std::strtol(buffer, &end, 16);
    if (end == buffer) throw std::invalid_argument("invalid stoi argument");
    return static_cast<unsigned char>(static_cast<unsigned long>(value) & 0xFFu);
}

}  // namespace

std::string BytesToHex(std::span<const unsigned char> bytes) {
    std::string text(bytes.size() * 2, '\0');
    char* out = text.data();
    for (unsigned char b : bytes) {
        std::memcpy(out, &kPairs[b], 2);
        out += 2;
    }
    return text;
}

std::string BytesToHex(const TArray<unsigned char>& bytes) {
    return BytesToHex(std::span<const unsigned char>(bytes.GetData(), static_cast<std::size_t>(bytes.Num())));
}

std::size_t HexByteCount(std::size_t textLength) { return textLength / 2 + textLength % 2; }

void DecodeHex(std::string_view text, unsigned char* out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t pairs = text.size() / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const unsigned char hi = kNibbles[in[2 * i]];
        const unsigned char lo = kNibbles[in[2 * i + 1]];
        if ((hi | lo) <= 15) {
            out[i] = static_cast<unsigned char>((hi << 4) | lo);
        } else {
            out[i] = SlowPiece(text.data() + 2 * i, 2);
        }
    }
    if (text.size() % 2) out[pairs] = SlowPiece(text.data() + 2 * pairs, 1);
}

TArray<unsigned char> HexToBytes(const std::string& text) {
    // Decoded beside the array and appended in one copy: TArray can only grow element by element.
    std::vector<unsigned char> buffer(HexByteCount(text.size()));
    DecodeHex(text, buffer.data());
    TArray<unsigned char> bytes;
    bytes.Append(buffer.data(), static_cast<int>(buffer.size()));
    return bytes;
}

}  // namespace Lockbury
