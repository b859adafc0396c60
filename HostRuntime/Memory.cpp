// The game's allocator. Registered when the runtime is loaded, because FString and TArray need
// it before any world exists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Host/GameNameTable.h"
#include "Registry.h"

namespace {

// Each block carries, just before the address handed out, the distance back to what malloc gave
// and the requested size, so that Free and Realloc work for any alignment.
struct Header {
    std::uint32_t offset;
    std::uint32_t alignment;  // the block's own: the game's Realloc keeps it
    std::size_t size;
};
static_assert(sizeof(Header) == 16);

void* Malloc(std::size_t count, std::uint32_t alignment) {
    const std::size_t align = std::max<std::size_t>(alignment, alignof(std::max_align_t));
    if ((align & (align - 1)) != 0) throw std::bad_alloc();  // not a power of two
    // A size near the top of the range would wrap around to a small block.
    if (count > SIZE_MAX - align - sizeof(Header)) throw std::bad_alloc();
    auto* raw = static_cast<char*>(std::malloc(count + align + sizeof(Header)));
    if (!raw) throw std::bad_alloc();
    // The first multiple of align past the header, reached from raw rather than rebuilt from an
    // integer, so the pointer keeps where it came from.
    const auto start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(Header);
    const std::size_t offset =
        ((start + align - 1) & ~(static_cast<std::uintptr_t>(align) - 1)) - reinterpret_cast<std::uintptr_t>(raw);
    char* user = raw + offset;
    auto* header = reinterpret_cast<Header*>(user - sizeof(Header));
    header->offset = static_cast<std::uint32_t>(offset);
    header->alignment = alignment;
    header->size = count;
    return user;
}

void Free(void* original) {
    if (!original) return;
    auto* header = reinterpret_cast<Header*>(static_cast<char*>(original) - sizeof(Header));
    std::free(static_cast<char*>(original) - header->offset);
}

void* Realloc(void* original, std::size_t count) {
    if (!original) return Malloc(count, 0);
    auto* header = reinterpret_cast<Header*>(static_cast<char*>(original) - sizeof(Header));
    void* fresh = Malloc(count, header->alignment);
    {
        std::memcpy(fresh, original, std::min(header->size, count));
        Free(original);
    }
    return fresh;
}

struct RegisterAllocator {
    RegisterAllocator() {
        HostRuntime::Register(GameNames::FMemory_Malloc, &Malloc);
        HostRuntime::Register(GameNames::FMemory_Realloc, &Realloc);
        HostRuntime::Register(GameNames::FMemory_Free, &Free);
    }
} registerAllocator;

}  // namespace
