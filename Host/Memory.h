#pragma once
// The game's allocator, reached by name like every other game function.
#include <cstddef>
#include <cstdint>

#include "NativeCall.h"

struct FMemory {
    static void* Malloc(std::size_t count, std::uint32_t alignment = 0) {
        return NativeCallStatic<void*, std::size_t, std::uint32_t>("FMemory.Malloc", count, alignment);
    }
    static void* Realloc(void* original, std::size_t count, std::uint32_t alignment = 0) {
        return NativeCallStatic<void*, void*, std::size_t, std::uint32_t>("FMemory.Realloc", original, count, alignment);
    }
    static void Free(void* original) { NativeCallStatic<void, void*>("FMemory.Free", original); }
};
