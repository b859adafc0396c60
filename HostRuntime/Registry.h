#pragma once
// The simulator's side of the name registry: the game registers its functions, fields and
// one-bit flags here under their text names; the plugin reaches them through Host/NativeCall.h.
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Host/NativeCall.h"

namespace HostRuntime {

using EntryKind = ArkApi::NameKind;

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

// Registration by an entry of the table of game names (Host/GameNameTable.h): its text and its
// signature (R(Self*, Args...), as the caller writes it) both come from the entry, so the game
// registers exactly what the plugin calls.
template <typename Signature>
void Register(const ArkApi::GameFunction<Signature>& function, std::type_identity_t<Signature>* entry) {
    RegisterFunctionRaw(function.name, function.Signature(), reinterpret_cast<void*>(entry));
}
template <typename T>
void Register(const ArkApi::GameField<T>& field, FieldResolver resolver) {
    RegisterFieldRaw(field.name, field.Signature(), resolver);
}
inline void Register(const ArkApi::GameBitField& bit, BitReader reader) { RegisterBitField(bit.name, reader); }

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
