// An item's bytes as the simulated game reads them back (CreateFromBytes): from a vault row or a
// kit file that may be damaged, cut short, or written by something else.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Sim/Server.h"
#include "Sim/World/ClassCatalog.h"
#include "Sim/World/ItemBytes.h"
#include "Support/Invariant.h"

namespace {

// The FNV-1a the format ends with. Recomputed here so that mutated bytes get past the checksum
// and reach the field parser, instead of nearly all of them stopping at the last four bytes.
std::uint32_t Checksum(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t hash = 2166136261u;
    for (const std::uint8_t b : bytes) hash = (hash ^ b) * 16777619u;
    return hash;
}

std::vector<std::uint8_t> Sealed(std::vector<std::uint8_t> body) {
    const std::uint32_t sum = Checksum(body);
    std::uint8_t tail[sizeof sum];
    std::memcpy(tail, &sum, sizeof sum);
    body.insert(body.end(), tail, tail + sizeof sum);
    return body;
}

// Floating values compared as stored, so that a NaN equals itself.
template <typename T>
bool SameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool SameRecord(const Sim::ItemRecord& a, const Sim::ItemRecord& b) {
    return a.className == b.className && a.id.ItemID1 == b.id.ItemID1 && a.id.ItemID2 == b.id.ItemID2 &&
           a.quantity == b.quantity && a.slot == b.slot && a.engram == b.engram && a.initial == b.initial &&
           SameBits(a.durability, b.durability) &&
           SameBits(static_cast<double>(a.creationTime), static_cast<double>(b.creationTime)) &&
           SameBits(static_cast<double>(a.nextSpoilingTime), static_cast<double>(b.nextSpoilingTime)) &&
           SameBits(a.spoilSeconds, b.spoilSeconds) && a.payload == b.payload;
}

void Read(const std::vector<std::uint8_t>& bytes) {
    const std::optional<Sim::ItemRecord> record = Sim::DecodeItem(bytes.data(), bytes.size());
    const std::optional<Sim::ItemView> item = Sim::Server::Decode(bytes);

    if (record) {
        // Whatever was read writes back to bytes that read as the same item, and writing that
        // again changes nothing: one item, one canonical form.
        const std::vector<std::uint8_t> written = Sim::EncodeItem(*record);
        const std::optional<Sim::ItemRecord> reread = Sim::DecodeItem(written.data(), written.size());
        FUZZ_REQUIRE_WITH(reread.has_value(), "the bytes written for a decoded item do not decode");
        FUZZ_REQUIRE_WITH(SameRecord(*record, *reread), "an item changed on its way through its bytes");
        FUZZ_REQUIRE(Sim::EncodeItem(*reread) == written);
    }

    if (!item) return;
    FUZZ_REQUIRE_WITH(record.has_value(), "the game accepted bytes its own format refuses");
    FUZZ_REQUIRE(item->bytes == bytes);
    FUZZ_REQUIRE(item->className == record->className);
    FUZZ_REQUIRE(item->quantity == record->quantity && item->slot == record->slot);
    FUZZ_REQUIRE(item->engram == record->engram && item->initial == record->initial);
    FUZZ_REQUIRE(item->id.ItemID1 == record->id.ItemID1 && item->id.ItemID2 == record->id.ItemID2);
    FUZZ_REQUIRE(SameBits(item->durability, record->durability));
    FUZZ_REQUIRE(item->payload == record->payload);
    const Sim::CatalogEntry* entry = Sim::FindClass(item->className);
    FUZZ_REQUIRE_WITH(entry && Sim::IsItemKind(entry->info.kind), "\"" + item->className + "\" is not an item class");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    Read(bytes);  // damaged as they come
    Read(Sealed(bytes));  // damaged before the checksum was written
    return 0;
}
