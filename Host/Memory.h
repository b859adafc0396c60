#pragma once
// The game's allocator, reached by name like every other game function.
#include <cstddef>
#include <cstdint>

#include "GameNameTable.h"

struct FMemory {
    static void* Malloc(std::size_t count, std::uint32_t alignment = 0) {
        return GameNames::FMemory_Malloc(count, alignment);
    }
    // The game's Realloc takes no alignment: it keeps the block's own.
    static void* Realloc(void* original, std::size_t count) {
        if (!original) return Malloc(count);
        return GameNames::FMemory_Realloc(original, count);
    }
    static void Free(void* original) { GameNames::FMemory_Free(original); }
};
