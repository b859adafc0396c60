// The game's allocator. Registered when the runtime is loaded, because FString and TArray need
// it before any world exists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Registry.h"

namespace {

// Each block carries, just before the address handed out, the distance back to what malloc gave
// and the requested size, so that Free and Realloc work for any alignment.
struct Header {
    std::size_t offset;
    std::size_t size;
};
static_assert(sizeof(Header) == 16);

void* Malloc(std::size_t count, std::uint32_t alignment) {
    const std::size_t align = std::max<std::size_t>(alignment, alignof(std::max_align_t));
    if ((align & (align - 1)) != 0) throw std::bad_alloc();  // not a power of two
    void* raw = std::malloc(count + align + sizeof(Header));
    if (!raw) throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(Header);
    auto user = (start + align - 1) & ~(static_cast<std::uintptr_t>(align) - 1);
    auto* header = reinterpret_cast<Header*>(user - sizeof(Header));
    header->offset = user - reinterpret_cast<std::uintptr_t>(raw);
    header->size = count;
    return reinterpret_cast<void*>(user);
}

void Free(void* original) {
    if (!original) return;
    auto* header = reinterpret_cast<Header*>(static_cast<char*>(original) - sizeof(Header));
    std::free(static_cast<char*>(original) - header->offset);
}

void* Realloc(void* original, std::size_t count, std::uint32_t alignment) {
    void* fresh = Malloc(count, alignment);
    if (original) {
        auto* header = reinterpret_cast<Header*>(static_cast<char*>(original) - sizeof(Header));
        std::memcpy(fresh, original, std::min(header->size, count));
        Free(original);
    }
    return fresh;
}

struct RegisterAllocator {
    RegisterAllocator() {
        HostRuntime::RegisterFunction<void*(std::size_t, std::uint32_t)>("FMemory.Malloc", &Malloc);
        HostRuntime::RegisterFunction<void*(void*, std::size_t, std::uint32_t)>("FMemory.Realloc", &Realloc);
        HostRuntime::RegisterFunction<void(void*)>("FMemory.Free", &Free);
    }
} registerAllocator;

}  // namespace
