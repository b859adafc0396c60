#pragma once
// The simulator's side of the name registry: the game registers its functions, fields and
// one-bit flags here under their text names; the plugin reaches them through Host/NativeCall.h.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Host/NativeCall.h"

namespace HostRuntime {

enum class EntryKind { Function, Field, BitField };

// What the registry holds under a name: its kind and signature (mangled; empty for bit fields).
struct EntryInfo {
    EntryKind kind;
    std::string signature;
};

// The address of a field inside the object; throws when the object has no such field.
using FieldResolver = void* (*)(void* object);
using BitReader = bool (*)(const void* object);

// Each registration throws std::logic_error when the name is taken already.
ARK_HOST_API void RegisterFunctionRaw(std::string_view name, const char* signature, void* entry);
ARK_HOST_API void RegisterFieldRaw(std::string_view name, const char* signature, FieldResolver resolver);
ARK_HOST_API void RegisterBitField(std::string_view name, BitReader reader);
// Removes a name (with its hook, if any); false when it was not registered.
ARK_HOST_API bool Unregister(std::string_view name);

ARK_HOST_API std::optional<EntryInfo> Describe(std::string_view name);
// Every registered name, sorted.
ARK_HOST_API std::vector<std::string> Names();

// Function types are written as the caller writes them: R(Self*, Args...).
template <typename Fn>
void RegisterFunction(std::string_view name, Fn* entry) {
    RegisterFunctionRaw(name, ArkApi::SignatureOf<Fn>(), reinterpret_cast<void*>(entry));
}
template <typename T>
void RegisterField(std::string_view name, FieldResolver resolver) {
    RegisterFieldRaw(name, ArkApi::SignatureOf<T>(), resolver);
}

// A readable form of a mangled signature ("bool (UPrimalItem*)").
ARK_HOST_API std::string Demangle(const char* signature);

// Hooks that are set now, in the order they were set.
ARK_HOST_API std::vector<std::string> ActiveHooks();
// The game's own entry of a function, whatever hook is set on it.
ARK_HOST_API void* OriginalEntry(std::string_view name);

// Lookups remember each call site by the address of its name text; a library that leaves the
// process takes those addresses with it, so the loader forgets them after every unload.
ARK_HOST_API void ForgetCallSites();

}  // namespace HostRuntime
