#pragma once
// The colours plugins ask the game's message boxes for, by name: tests assert on them and
// lockbury-server prints them. The framework has no names of its own for them.
#include <string>

#include "Host/ArkApi.h"

namespace Sim::Colours {

inline FLinearColor Red() { return {1.0f, 0.0f, 0.0f, 1.0f}; }
inline FLinearColor Green() { return {0.0f, 1.0f, 0.0f, 1.0f}; }

// "red", "green", or empty for any other colour.
inline std::string Name(const FLinearColor& colour) {
    if (colour == Red()) return "red";
    if (colour == Green()) return "green";
    return "";
}

}  // namespace Sim::Colours
