#pragma once
// The byte form of an item, as GetItemBytes writes it and CreateFromBytes reads it:
// magic "LBIT", a version, length-prefixed tagged fields, and a checksum over all of it, so that
// damaged or cut bytes are refused instead of rebuilding a wrong item.
#include <cstdint>
#include <optional>
#include <vector>

#include "Sim/Server.h"

namespace Sim {

// Every field of the record but unserialisable.
std::vector<std::uint8_t> EncodeItem(const ItemRecord& record);
// Null for anything that is not one whole, undamaged item.
std::optional<ItemRecord> DecodeItem(const std::uint8_t* data, std::size_t size);

}  // namespace Sim
