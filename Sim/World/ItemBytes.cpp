#include "ItemBytes.h"

#include <cstring>

namespace Sim {
namespace {

constexpr std::uint8_t kMagic[4] = {'L', 'B', 'I', 'T'};
constexpr std::uint16_t kVersion = 1;

enum Tag : std::uint8_t {
    ClassName = 1,
    Id1,
    Id2,
    Quantity,
    Slot,
    Engram,
    Initial,
    Durability,
    CreationTime,
    NextSpoilingTime,
    SpoilSeconds,
    Payload,
    TagCount
};

std::uint32_t Checksum(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

class Writer {
public:
    explicit Writer(std::size_t reserve) { out_.reserve(reserve); }
    void Raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    template <typename T>
    void Value(T v) {
        std::uint8_t buf[sizeof(T)];
        std::memcpy(buf, &v, sizeof(T));
        Raw(buf, sizeof(T));
    }
    void Field(Tag tag, const void* data, std::size_t size) {
        Value<std::uint8_t>(tag);
        Value<std::uint32_t>(static_cast<std::uint32_t>(size));
        Raw(data, size);
    }
    template <typename T>
    void Scalar(Tag tag, T v) {
        Field(tag, &v, sizeof(T));
    }
    std::vector<std::uint8_t> Finish() {
        Value<std::uint32_t>(Checksum(out_.data(), out_.size()));
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
};

template <typename T>
bool ReadScalar(const std::uint8_t* data, std::uint32_t size, T& out) {
    if (size != sizeof(T)) return false;
    std::memcpy(&out, data, sizeof(T));
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeItem(const ItemRecord& r) {
    Writer w(r.payload.size() + r.className.size() + 128);
    w.Raw(kMagic, sizeof kMagic);
    w.Value<std::uint16_t>(kVersion);
    w.Field(ClassName, r.className.data(), r.className.size());
    w.Scalar<std::uint32_t>(Id1, r.id.ItemID1);
    w.Scalar<std::uint32_t>(Id2, r.id.ItemID2);
    w.Scalar<std::int32_t>(Quantity, r.quantity);
    w.Scalar<std::int32_t>(Slot, r.slot);
    w.Scalar<std::uint8_t>(Engram, r.engram ? 1 : 0);
    w.Scalar<std::uint8_t>(Initial, r.initial ? 1 : 0);
    w.Scalar<float>(Durability, r.durability);
    w.Scalar<double>(CreationTime, static_cast<double>(r.creationTime));
    w.Scalar<double>(NextSpoilingTime, static_cast<double>(r.nextSpoilingTime));
    w.Scalar<float>(SpoilSeconds, r.spoilSeconds);
    w.Field(Payload, r.payload.data(), r.payload.size());
    return w.Finish();
}

std::optional<ItemRecord> DecodeItem(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHead = sizeof kMagic + sizeof(std::uint16_t);
    if (!data || size < kHead + sizeof(std::uint32_t)) return std::nullopt;
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return std::nullopt;
    std::uint16_t version = 0;
    std::memcpy(&version, data + sizeof kMagic, sizeof version);
    if (version != kVersion) return std::nullopt;
    const std::size_t body = size - sizeof(std::uint32_t);
    std::uint32_t stored = 0;
    std::memcpy(&stored, data + body, sizeof stored);
    if (stored != Checksum(data, body)) return std::nullopt;

    ItemRecord r;
    double creationTime = 0, nextSpoilingTime = 0;
    bool seen[TagCount] = {};
    std::size_t pos = kHead;
    while (pos < body) {
        if (body - pos < 5) return std::nullopt;
        const std::uint8_t tag = data[pos];
        std::uint32_t len = 0;
        std::memcpy(&len, data + pos + 1, sizeof len);
        pos += 5;
        if (len > body - pos) return std::nullopt;
        const std::uint8_t* v = data + pos;
        pos += len;
        if (tag == 0 || tag >= TagCount || seen[tag]) return std::nullopt;
        seen[tag] = true;
        std::uint8_t flag = 0;
        bool ok = true;
        switch (tag) {
            case ClassName: r.className.assign(reinterpret_cast<const char*>(v), len); break;
            case Id1: ok = ReadScalar(v, len, r.id.ItemID1); break;
            case Id2: ok = ReadScalar(v, len, r.id.ItemID2); break;
            case Quantity: ok = ReadScalar(v, len, r.quantity); break;
            case Slot: ok = ReadScalar(v, len, r.slot); break;
            case Engram:
                ok = ReadScalar(v, len, flag) && flag <= 1;
                r.engram = flag;
                break;
            case Initial:
                ok = ReadScalar(v, len, flag) && flag <= 1;
                r.initial = flag;
                break;
            case Durability: ok = ReadScalar(v, len, r.durability); break;
            case CreationTime: ok = ReadScalar(v, len, creationTime); break;
            case NextSpoilingTime: ok = ReadScalar(v, len, nextSpoilingTime); break;
            case SpoilSeconds: ok = ReadScalar(v, len, r.spoilSeconds); break;
            case Payload: r.payload.assign(v, v + len); break;
            default: return std::nullopt;  // ruled out above; a new tag must get its case
        }
        if (!ok) return std::nullopt;
    }
    for (int tag = 1; tag < TagCount; ++tag)
        if (!seen[tag]) return std::nullopt;
    r.creationTime = creationTime;
    r.nextSpoilingTime = nextSpoilingTime;
    return r;
}

}  // namespace Sim
