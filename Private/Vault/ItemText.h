#pragma once
// The text form of an item's bytes in the itemdata column: two lower-case hex digits a byte,
// high nibble first, nothing between. Every item passes through here on save and load.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "Host/ArkApi.h"

namespace Lockbury {

std::string BytesToHex(std::span<const unsigned char> bytes);
std::string BytesToHex(const TArray<unsigned char>& bytes);

// The inverse: the text is cut into two-character pieces (the last one single when the length
// is odd), each read as strtol reads base 16, its low 8 bits kept. A piece without a digit
// throws std::invalid_argument("invalid stoi argument").
TArray<unsigned char> HexToBytes(const std::string& text);

// The same conversion into caller memory of HexByteCount(text.size()) bytes; for callers that
// do not want the game's allocator (benchmarks, the kit files).
std::size_t HexByteCount(std::size_t textLength);
void DecodeHex(std::string_view text, unsigned char* out);

}  // namespace Lockbury
