// The registry's entry points: the plugin's lookups (ArkApi) and the simulator's registrations.
#include "NameTable.h"

namespace ArkApi {

void* GetAddress(const char* name, const char* signature) {
    return HostRuntime::NameTable::Instance().Function(name, signature);
}

void* GetFieldAddress(const void* object, const char* name, const char* signature) {
    return HostRuntime::NameTable::Instance().Field(object, name, signature);
}

bool GetBitField(const void* object, const char* name) { return HostRuntime::NameTable::Instance().Bit(object, name); }

}  // namespace ArkApi

namespace HostRuntime {

void RegisterFunctionRaw(std::string_view name, const char* signature, void* entry) {
    NameTable::Instance().Add(name, EntryKind::Function, signature, entry, nullptr, nullptr);
}

void RegisterFieldRaw(std::string_view name, const char* signature, FieldResolver resolver) {
    NameTable::Instance().Add(name, EntryKind::Field, signature, nullptr, resolver, nullptr);
}

void RegisterBitField(std::string_view name, BitReader reader) {
    NameTable::Instance().Add(name, EntryKind::BitField, "", nullptr, nullptr, reader);
}

bool Unregister(std::string_view name) { return NameTable::Instance().Remove(name); }

std::optional<EntryInfo> Describe(std::string_view name) { return NameTable::Instance().Describe(name); }

std::vector<std::string> Names() { return NameTable::Instance().Names(); }

std::vector<std::string> ActiveHooks() { return NameTable::Instance().ActiveHooks(); }

void* OriginalEntry(std::string_view name) { return NameTable::Instance().Original(name); }

void ForgetCallSites() { NameTable::Instance().ForgetCallSites(); }

}  // namespace HostRuntime
