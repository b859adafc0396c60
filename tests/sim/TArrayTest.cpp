// The game's array, given one of its own elements while it has to grow (arr.Add(arr[0])): the
// element is read before the old storage is freed, by every way of adding.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>

#include "Host/Memory.h"
#include "Host/TArray.h"

namespace {

// Two elements and no room left, so the next one makes the array grow.
template <typename T>
TArray<T> Full(const T& first, const T& second) {
    TArray<T> array;
    array.Reserve(2);
    array.Add(first);
    array.Add(second);
    return array;
}

TEST(TArray, OwnElementsAreReadBeforeGrowingFreesThem) {
    // Too long to be kept inside the string object: a copy must follow its pointer.
    const std::string a(100, 'a'), b(100, 'b');
    {
        auto array = Full(a, b);
        array.Add(array[0]);
        ASSERT_EQ(array.Num(), 3);
        EXPECT_EQ(array[2], a);
    }
    {
        auto array = Full(a, b);
        array.Add(std::move(array[1]));
        ASSERT_EQ(array.Num(), 3);
        EXPECT_EQ(array[2], b);
    }
    {
        auto array = Full(a, b);
        array.Emplace(array[1], 98);  // the string's constructor from a part of another
        ASSERT_EQ(array.Num(), 3);
        EXPECT_EQ(array[2], "bb");
    }
    {
        auto array = Full(a, b);
        array.Append(array.GetData(), array.Num());
        ASSERT_EQ(array.Num(), 4);
        EXPECT_EQ(array[2], a);
        EXPECT_EQ(array[3], b);
    }
}

// Plain data moves with the game's Realloc, which frees the old block. One this large is a
// mapping of its own (past glibc's largest mmap threshold, 32 MiB), so a read of it once freed
// faults instead of finding the old bytes still there.
TEST(TArray, OwnPlainElementsAreReadBeforeReallocFreesThem) {
    constexpr int kMapped = 33 << 20;
    TArray<std::uint8_t> bytes;
    bytes.SetNum(kMapped);
    ASSERT_EQ(bytes.Max(), kMapped);
    bytes[0] = 7;
    bytes[kMapped - 1] = 9;
    bytes.Add(bytes[0]);
    ASSERT_EQ(bytes.Num(), kMapped + 1);
    EXPECT_EQ(bytes[kMapped], 7);
    const int before = bytes.Num();
    ASSERT_GT(2 * before, bytes.Max());  // the append below has to grow too
    bytes.Append(bytes.GetData(), before);
    ASSERT_EQ(bytes.Num(), 2 * before);
    EXPECT_EQ(bytes[before], 7);
    EXPECT_EQ(bytes[before + kMapped - 1], 9);
    EXPECT_EQ(bytes[2 * before - 1], 7);
}

}  // namespace

// The allocator behind every array: a size near the top of the range would wrap once the header
// and alignment are added, handing out a tiny block that the caller then writes past.
TEST(FMemory, ASizeThatWouldWrapIsRefusedAndAlignmentIsKept) {
    EXPECT_THROW(FMemory::Malloc(SIZE_MAX - 8, 16), std::bad_alloc);
    void* block = FMemory::Malloc(24, 64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 64, 0u);
    FMemory::Free(block);
}
