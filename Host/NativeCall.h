#pragma once
// Reaching game functions and fields by their text names ("Class.Member"), at every use, as
// ArkApi does. The registry behind these calls lives in the host runtime; it keeps each entry's
// signature and throws (naming the entry) on an unknown name or a signature mismatch, so a
// wrong call is a clear error and never undefined behaviour.
//
// A name is reached through its typed entry in the table (GameNameTable.h): the entry holds the
// name's text and its signature, so a call with other types does not compile, and the lookup by
// text happens at every call.
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <utility>

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

enum class NameKind { Function, Field, BitField };

// A game function: R(Self*, Args...) for a member function (the object is the first argument),
// R(Args...) for a static one.
template <typename Signature>
struct GameFunction;

template <typename R, typename... Args>
struct GameFunction<R(Args...)> {
    using Type = R(Args...);
    static constexpr NameKind kKind = NameKind::Function;
    const char* name;

    static const char* Signature() noexcept { return SignatureOf<Type>(); }
    R operator()(Args... args) const {
        auto fn = reinterpret_cast<Type*>(GetAddress(name, Signature()));
        return fn(std::forward<Args>(args)...);
    }
};

// A field of a game object, reached by reference.
template <typename T>
struct GameField {
    using Type = T;
    static constexpr NameKind kKind = NameKind::Field;
    const char* name;

    static const char* Signature() noexcept { return SignatureOf<T>(); }
    T& Of(const void* object) const { return *static_cast<T*>(GetFieldAddress(object, name, Signature())); }
};

// A one-bit flag of a game object (no signature).
struct GameBitField {
    static constexpr NameKind kKind = NameKind::BitField;
    const char* name;

    static const char* Signature() noexcept { return ""; }
    bool Of(const void* object) const { return GetBitField(object, name); }
};

}  // namespace ArkApi

// A one-bit flag as the framework hands it out: read with () or Get().
template <typename RT, typename T>
class BitFieldValue {
public:
    BitFieldValue(const void* parent, const ArkApi::GameBitField& field) : parent_(parent), field_(field) {}
    RT operator()() const { return Get(); }
    RT Get() const { return static_cast<RT>(field_.Of(parent_)); }

private:
    const void* parent_;
    ArkApi::GameBitField field_;
};
