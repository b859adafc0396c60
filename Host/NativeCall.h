#pragma once
// Reaching game functions and fields by their text names ("Class.Member"), at every use, as
// ArkApi does. The registry behind these calls lives in the host runtime; it keeps each entry's
// signature and throws (naming the entry) on an unknown name or a signature mismatch, so a
// wrong call is a clear error and never undefined behaviour.
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "Export.h"

namespace ArkApi {

// Thrown for a name the registry does not know, or a name used with another signature.
class ARK_HOST_API UnresolvedName : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A signature is the mangled name of a function type (R(Self*, Args...)) or of a field's type.
template <typename T>
const char* SignatureOf() noexcept {
    const char* name = typeid(T).name();
    return name[0] == '*' ? name + 1 : name;
}

// The current entry of a function (the detour while a hook is set).
ARK_HOST_API void* GetAddress(const char* name, const char* signature);
// The address of a field inside a game object.
ARK_HOST_API void* GetFieldAddress(const void* object, const char* name, const char* signature);
// A one-bit flag of a game object.
ARK_HOST_API bool GetBitField(const void* object, const char* name);

}  // namespace ArkApi

// A member function of a game class: the object is the first argument.
template <typename R, typename... Args, typename T>
R NativeCall(T* self, const char* name, std::type_identity_t<Args>... args) {
    using Fn = R (*)(T*, Args...);
    auto fn = reinterpret_cast<Fn>(ArkApi::GetAddress(name, ArkApi::SignatureOf<R(T*, Args...)>()));
    return fn(self, static_cast<Args>(args)...);
}

// A static game function.
template <typename R, typename... Args>
R NativeCallStatic(const char* name, std::type_identity_t<Args>... args) {
    using Fn = R (*)(Args...);
    auto fn = reinterpret_cast<Fn>(ArkApi::GetAddress(name, ArkApi::SignatureOf<R(Args...)>()));
    return fn(static_cast<Args>(args)...);
}

// A field of a game object, by reference.
template <typename T>
T& GetNativeField(const void* object, const char* name) {
    return *static_cast<T*>(ArkApi::GetFieldAddress(object, name, ArkApi::SignatureOf<T>()));
}

inline bool GetBitField(const void* object, const char* name) { return ArkApi::GetBitField(object, name); }
