// The itemdata column's hex text: every item's bytes go through BytesToHex on save and back
// through HexToBytes on load, and the column may hold text the plugin did not write.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "Private/Vault/ItemText.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

bool IsLowerHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

bool SameBytes(const TArray<unsigned char>& array, std::span<const unsigned char> bytes) {
    return static_cast<std::size_t>(array.Num()) == bytes.size() &&
           (bytes.empty() || std::memcmp(array.GetData(), bytes.data(), bytes.size()) == 0);
}

// What the column's text means, piece by piece as documented: strtol in base 16 over two
// characters (one for an odd last piece), low 8 bits kept; nothing when a piece has no digit.
std::optional<std::vector<unsigned char>> Meaning(const std::string& text) {
    std::vector<unsigned char> bytes;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        char piece[3] = {0, 0, 0};
        std::memcpy(piece, text.data() + at, std::min<std::size_t>(2, text.size() - at));
        char* end = nullptr;
        const long value = std::strtol(piece, &end, 16);
        if (end == piece) return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(static_cast<unsigned long>(value) & 0xFFu));
    }
    return bytes;
}

void SaveAndLoad(std::span<const unsigned char> bytes) {
    const std::string text = Lockbury::BytesToHex(bytes);
    FUZZ_REQUIRE(text.size() == 2 * bytes.size());
    for (const char c : text) FUZZ_REQUIRE(IsLowerHexDigit(c));

    TArray<unsigned char> array(bytes.data(), static_cast<int>(bytes.size()));
    FUZZ_REQUIRE(Lockbury::BytesToHex(array) == text);

    const TArray<unsigned char> loaded = Lockbury::HexToBytes(text);  // its own text never throws
    FUZZ_REQUIRE(SameBytes(loaded, bytes));

    FUZZ_REQUIRE(Lockbury::HexByteCount(text.size()) == bytes.size());
    std::vector<unsigned char> decoded(bytes.size());
    Lockbury::DecodeHex(text, decoded.data());
    FUZZ_REQUIRE(std::equal(decoded.begin(), decoded.end(), bytes.begin(), bytes.end()));
}

void LoadStoredText(const std::string& text) {
    const auto expected = Meaning(text);
    std::optional<TArray<unsigned char>> loaded;
    try {
        loaded = Lockbury::HexToBytes(text);
    } catch (const std::invalid_argument&) {
        // Documented: a piece without a digit.
    }
    FUZZ_REQUIRE_WITH(loaded.has_value() == expected.has_value(),
                      std::string("HexToBytes ") + (loaded ? "accepted" : "refused") + " text with a piece strtol " +
                          (expected ? "reads" : "cannot read"));
    if (!loaded) return;
    FUZZ_REQUIRE_WITH(SameBytes(*loaded, *expected), "HexToBytes and strtol read the text differently");

    // The buffer form writes exactly HexByteCount bytes and means the same.
    std::vector<unsigned char> buffer(Lockbury::HexByteCount(text.size()) + 1, 0xA5);
    Lockbury::DecodeHex(text, buffer.data());
    FUZZ_REQUIRE(buffer.back() == 0xA5);
    buffer.pop_back();
    FUZZ_REQUIRE(buffer == *expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SaveAndLoad(std::span<const unsigned char>(data, size));
    LoadStoredText(std::string(Fuzz::AsText(data, size)));
    return 0;
}
