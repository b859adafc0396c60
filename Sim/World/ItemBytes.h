#pragma once
// The byte form of an item, as GetItemBytes writes it and CreateFromBytes reads it:
// magic "LBIT", a version, length-prefixed tagged fields, and a checksum over all of it, so that
// damaged or cut bytes are refused instead of rebuilding a wrong item.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Host/BasicTypes.h"

namespace Sim {

struct ItemRecord {
    std::string className;
    FItemNetID id;
    std::int32_t quantity = 1;
    std::int32_t slot = -1;
    bool engram = false;
    bool initial = false;
    float durability = 0;
    double creationTime = 0;
    double nextSpoilingTime = 0;
    float spoilSeconds = 0;
    std::vector<std::uint8_t> payload;
};

std::vector<std::uint8_t> EncodeItem(const ItemRecord& record);
// Null for anything that is not one whole, undamaged item.
std::optional<ItemRecord> DecodeItem(const std::uint8_t* data, std::size_t size);

}  // namespace Sim
