#pragma once
// Small value types of the game.
#include <cmath>
#include <cstdint>

#include "FString.h"
#include "GameNameTable.h"

using uint8 = std::uint8_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using uint64 = std::uint64_t;

// A reference to a game object that does not keep it alive; Get() gives null once it is gone.
template <typename T>
struct TWeakObjectPtr {
    T* Object = nullptr;
    T* Get() const { return Object; }
};

// A world position in world units.
struct FVector {
    float X = 0, Y = 0, Z = 0;
};

struct FColor {
    uint8 R = 0, G = 0, B = 0, A = 0;
};

// Linear RGBA; from an 8-bit colour through the sRGB curve (0 -> 0.0, 255 -> 1.0).
struct FLinearColor {
    float R = 0, G = 0, B = 0, A = 0;
    FLinearColor() = default;
    FLinearColor(float r, float g, float b, float a) : R(r), G(g), B(b), A(a) {}
    explicit FLinearColor(FColor c)
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

namespace Colors {
inline FLinearColor Green() { return {0.0f, 1.0f, 0.0f, 1.0f}; }
inline FLinearColor Red() { return {1.0f, 0.0f, 0.0f, 1.0f}; }
}  // namespace Colors

// A name value; its text comes from the game's name table.
struct FName {
    int32 ComparisonIndex = 0;
    int32 Number = 0;
    FString ToString() const {
        FString out;
        GameNames::FName_ToString(const_cast<FName*>(this), &out);
        return out;
    }
};

// The game's id of an item: two 32-bit halves.
struct FItemNetID {
    uint32 ItemID1 = 0;
    uint32 ItemID2 = 0;
    friend bool operator==(const FItemNetID&, const FItemNetID&) = default;
};

struct FDamageEvent {
    int32 DamageTypeClass = 0;
};

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
