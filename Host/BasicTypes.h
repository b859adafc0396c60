#pragma once
// Small value types of the game.
#include <cmath>
#include <cstdint>

#include "FString.h"
#include "GameNameTable.h"

using uint8 = std::uint8_t;
using int64 = std::int64_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using uint64 = std::uint64_t;

// A reference to a game object that does not keep it alive; Get() gives null once it is gone.
template <typename T>
struct TWeakObjectPtr {
    T* Object = nullptr;
    T* Get(bool bEvenIfPendingKill = false) {
        (void)bEvenIfPendingKill;
        return Object;
    }
};

template <typename T>
using TAutoWeakObjectPtr = TWeakObjectPtr<T>;

// A class reference the game hands around by value.
template <typename T>
struct TSubclassOf {
    TSubclassOf() : uClass(nullptr) {}
    TSubclassOf(UClass* theClass) : uClass(theClass) {}
    UClass* uClass;
};

// An enum kept in one byte.
template <class TEnum>
class TEnumAsByte {
public:
    TEnumAsByte() = default;
    TEnumAsByte(TEnum value) : Value(static_cast<uint8>(value)) {}
    TEnum GetValue() const { return static_cast<TEnum>(Value); }
    operator TEnum() const { return GetValue(); }

private:
    uint8 Value = 0;
};

// A point in time; the game keeps one int64 of 100 ns ticks since 0001-01-01 in it, which the
// framework does not declare.
struct FDateTime {};

// A world position in world units.
struct FVector {
    float X = 0, Y = 0, Z = 0;
};

struct FColor {
    uint8 B = 0, G = 0, R = 0, A = 0;
    FColor() = default;
    FColor(uint8 r, uint8 g, uint8 b, uint8 a = 255) : B(b), G(g), R(r), A(a) {}
};

// Linear RGBA; from an 8-bit colour through the sRGB curve (0 -> 0.0, 255 -> 1.0).
struct FLinearColor {
    float R = 0, G = 0, B = 0, A = 0;
    FLinearColor() = default;
    FLinearColor(float r, float g, float b, float a) : R(r), G(g), B(b), A(a) {}
    // The framework declares this conversion without a body; a plugin cannot link it.
    FLinearColor(const FColor& c)
        : R(FromSRGB(c.R)), G(FromSRGB(c.G)), B(FromSRGB(c.B)), A(static_cast<float>(c.A) * (1.0f / 255.0f)) {}
    friend bool operator==(const FLinearColor&, const FLinearColor&) = default;

private:
    static float FromSRGB(uint8 v) {
        if (v == 0) return 0.0f;
        if (v == 255) return 1.0f;
        double c = v / 255.0;
        return static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
};

// A name value; its text comes from the game's name table.
struct FName {
    int ComparisonIndex = 0;
    unsigned int Number = 0;
    void ToString(FString* Out) { GameNames::FName_ToString(this, Out); }
    FString ToString() const {
        FString out;
        FName tmp = *this;
        tmp.ToString(&out);
        return out;
    }
};

// The game's id of an item: two 32-bit halves.
struct FItemNetID {
    unsigned int ItemID1 = 0;
    unsigned int ItemID2 = 0;
};

struct FDamageEvent {};

enum class EObjectTypeQuery { ObjectTypeQuery1 = 0, ObjectTypeQuery2 = 1, ObjectTypeQuery3 = 2, TraceTypeQuery_MAX = 33 };

namespace EChatSendMode {
enum Type { GlobalChat = 0, GlobalTribeChat = 1, LocalChat = 2, AllianceChat = 3, MAX = 4 };
}

// What the client shows for a chat line; the plugin fills only the sender and the text.
struct FChatMessage {
    FString SenderName;
    FString SenderSteamName;
    FString SenderTribeName;
    uint32 SenderId = 0;
    FString Message;
    FString Receiver;
    int32 SenderTeamIndex = 0;
    double ReceivedTime = -1.0;
    EChatSendMode::Type SendMode = EChatSendMode::GlobalChat;
    uint32 RadioFrequency = 0;
    uint8 ChatType = 0;
    void* SenderIcon = nullptr;
    FString UserId;
};
