#include "NameTable.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace HostRuntime {
namespace {

const char* KindText(EntryKind kind) {
    switch (kind) {
        case EntryKind::Function: return "function";
        case EntryKind::Field: return "field";
        case EntryKind::BitField: return "bit field";
    }
    return "entry";
}

[[noreturn]] void Unknown(std::string_view name, EntryKind kind, const char* signature) {
    std::string text = "unknown game " + std::string(KindText(kind)) + " '" + std::string(name) + "'";
    if (signature && *signature) text += " (used as " + Demangle(signature) + ")";
    text += ": the host has not registered it";
    throw ArkApi::UnresolvedName(text);
}

}  // namespace

std::string Demangle(const char* signature) {
    if (!signature || !*signature) return "";
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(signature, nullptr, nullptr, &status), std::free);
    return status == 0 && readable ? std::string(readable.get()) : std::string(signature);
}

NameTable& NameTable::Instance() {
    static NameTable table;
    return table;
}

void NameTable::Add(std::string_view name, EntryKind kind, const char* signature, void* entry, FieldResolver resolver,
                    BitReader reader) {
    std::unique_lock lock(mutex_);
    if (entries_.contains(name)) throw std::logic_error("game name '" + std::string(name) + "' is registered already");
    auto [it, added] = entries_.try_emplace(std::string(name));
    Entry& e = it->second;
    e.kind = kind;
    e.signature = signature ? signature : "";
    e.original = entry;
    e.current = entry;
    e.resolver = resolver;
    e.reader = reader;
}

bool NameTable::Remove(std::string_view name) {
    std::unique_lock lock(mutex_);
    auto it = entries_.find(name);
    if (it == entries_.end()) return false;
    entries_.erase(it);
    generation_.fetch_add(1);
    return true;
}

std::optional<EntryInfo> NameTable::Describe(std::string_view name) const {
    std::shared_lock lock(mutex_);
    auto it = entries_.find(name);
    if (it == entries_.end()) return std::nullopt;
    return EntryInfo{it->second.kind, it->second.signature};
}

std::vector<std::string> NameTable::Names() const {
    std::shared_lock lock(mutex_);
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const auto& [name, entry] : entries_) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

const NameTable::Entry& NameTable::Find(std::string_view name, EntryKind kind, const char* signature) const {
    auto it = entries_.find(name);
    if (it == entries_.end()) Unknown(name, kind, signature);
    const Entry& e = it->second;
    if (e.kind != kind)
        throw ArkApi::UnresolvedName("game name '" + std::string(name) + "' is a " + KindText(e.kind) + ", used as a " +
                                     KindText(kind));
    if (kind != EntryKind::BitField && std::strcmp(e.signature.c_str(), signature ? signature : "") != 0)
        throw ArkApi::UnresolvedName("game " + std::string(KindText(kind)) + " '" + std::string(name) +
                                     "' has the signature " + Demangle(e.signature.c_str()) + " but is used as " +
                                     Demangle(signature));
    return e;
}

namespace {

// What one call site resolved to, valid while the table's generation is unchanged.
struct CallSite {
    const char* name = nullptr;
    const char* signature = nullptr;
    int kind = -1;
    const void* entry = nullptr;
};

// A small direct-mapped cache per thread: a lookup takes no lock and, once its call site is
// known, no hashing of text. The game calls from one thread anyway.
struct CallSites {
    static constexpr std::size_t kSlots = 512;
    std::uint64_t generation = 0;
    CallSite slots[kSlots];

    CallSite& SlotOf(const char* name) {
        auto bits = reinterpret_cast<std::uintptr_t>(name);
        return slots[(bits ^ (bits >> 9)) & (kSlots - 1)];
    }
};

__attribute__((tls_model("initial-exec"))) thread_local CallSites callSites;

}  // namespace

const NameTable::Entry& NameTable::Resolve(const char* name, EntryKind kind, const char* signature) const {
    const std::uint64_t generation = generation_.load(std::memory_order_acquire);
    if (callSites.generation != generation) {
        for (CallSite& slot : callSites.slots) slot = CallSite{};
        callSites.generation = generation;
    }
    CallSite& slot = callSites.SlotOf(name);
    if (slot.name == name && slot.signature == signature && slot.kind == static_cast<int>(kind))
        return *static_cast<const Entry*>(slot.entry);
    const Entry* e = nullptr;
    {
        std::shared_lock lock(mutex_);
        e = &Find(name, kind, signature);
    }
    slot = CallSite{name, signature, static_cast<int>(kind), e};
    return *e;
}

void NameTable::ForgetCallSites() { generation_.fetch_add(1); }

void* NameTable::Function(const char* name, const char* signature) const {
    return Resolve(name, EntryKind::Function, signature).current.load(std::memory_order_relaxed);
}

void* NameTable::Field(const void* object, const char* name, const char* signature) const {
    // The resolver may throw for an object without this field.
    return Resolve(name, EntryKind::Field, signature).resolver(const_cast<void*>(object));
}

bool NameTable::Bit(const void* object, const char* name) const {
    return Resolve(name, EntryKind::BitField, "").reader(object);
}

bool NameTable::SetHook(std::string_view name, const char* signature, void* detour, void** original) {
    std::unique_lock lock(mutex_);
    auto& e = const_cast<Entry&>(Find(name, EntryKind::Function, signature));
    // One detour per function: a second one would silently cut the first out of the chain.
    if (!detour || !original || e.hookOrder != 0) return false;
    *original = e.original;
    e.current = detour;
    e.hookOrder = ++hookCounter_;
    return true;
}

bool NameTable::DisableHook(std::string_view name, void* detour) {
    std::unique_lock lock(mutex_);
    auto it = entries_.find(name);
    if (it == entries_.end()) Unknown(name, EntryKind::Function, nullptr);
    Entry& e = it->second;
    if (e.hookOrder == 0 || e.current != detour) return false;
    e.current = e.original;
    e.hookOrder = 0;
    return true;
}

std::vector<std::string> NameTable::ActiveHooks() const {
    std::shared_lock lock(mutex_);
    std::vector<std::pair<std::uint64_t, std::string>> hooked;
    for (const auto& [name, e] : entries_)
        if (e.hookOrder != 0) hooked.emplace_back(e.hookOrder, name);
    std::sort(hooked.begin(), hooked.end());
    std::vector<std::string> names;
    names.reserve(hooked.size());
    for (auto& [order, name] : hooked) names.push_back(std::move(name));
    return names;
}

void* NameTable::Original(std::string_view name) const {
    std::shared_lock lock(mutex_);
    auto it = entries_.find(name);
    if (it == entries_.end()) Unknown(name, EntryKind::Function, nullptr);
    return it->second.original;
}

}  // namespace HostRuntime
