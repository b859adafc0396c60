#pragma once
// The one table of game names in the process (internal to the host runtime).
#include <atomic>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Registry.h"

namespace HostRuntime {

class NameTable {
public:
    static NameTable& Instance();

    void Add(std::string_view name, EntryKind kind, const char* signature, void* entry, FieldResolver resolver,
             BitReader reader);
    bool Remove(std::string_view name);
    std::optional<EntryInfo> Describe(std::string_view name) const;
    std::vector<std::string> Names() const;

    // Lookups by the caller's name text. Each call site's text is remembered by its address, so
    // the name is hashed and the signature compared once per call site, not on every call.
    void* Function(const char* name, const char* signature) const;
    void* Field(const void* object, const char* name, const char* signature) const;
    bool Bit(const void* object, const char* name) const;
    // Call-site addresses may be reused by the next library loaded at the same place.
    void ForgetCallSites();

    bool SetHook(std::string_view name, const char* signature, void* detour, void** original);
    bool DisableHook(std::string_view name, void* detour);
    std::vector<std::string> ActiveHooks() const;
    void* Original(std::string_view name) const;

private:
    struct Entry {
        EntryKind kind{};
        std::string signature;
        void* original = nullptr;  // the game's own function
        std::atomic<void*> current = nullptr;  // the detour while hooked
        FieldResolver resolver = nullptr;
        BitReader reader = nullptr;
        std::uint64_t hookOrder = 0;  // 0: not hooked
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };

    const Entry& Find(std::string_view name, EntryKind kind, const char* signature) const;
    const Entry& Resolve(const char* name, EntryKind kind, const char* signature) const;

    mutable std::shared_mutex mutex_;
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> entries_;
    std::uint64_t hookCounter_ = 0;
    // Bumped whenever remembered call sites may point at a removed entry or a reused address.
    std::atomic<std::uint64_t> generation_{1};
};

}  // namespace HostRuntime
