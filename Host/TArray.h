#pragma once
// The game's dynamic array: data, 32-bit count, 32-bit capacity, memory from FMemory.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

#include "Memory.h"

template <typename T>
class TArray {
public:
    TArray() = default;
    TArray(std::initializer_list<T> items) {
        Reserve(static_cast<int>(items.size()));
        for (const T& item : items) Add(item);
    }
    TArray(const T* items, int count) {
        Reserve(count);
        for (int i = 0; i < count; ++i) Add(items[i]);
    }
    TArray(const TArray& other) : TArray(other.data_, other.count_) {}
    TArray(TArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          count_(std::exchange(other.count_, 0)),
          max_(std::exchange(other.max_, 0)) {}
    TArray& operator=(const TArray& other) {
        if (this != &other) {
            TArray copy(other);
            Swap(copy);
        }
        return *this;
    }
    TArray& operator=(TArray&& other) noexcept {
        if (this != &other) {
            TArray moved(std::move(other));
            Swap(moved);
        }
        return *this;
    }
    ~TArray() {
        Empty();
        if (data_) FMemory::Free(data_);
    }

    int Num() const { return count_; }
    int Max() const { return max_; }
    T* GetData() { return data_; }
    const T* GetData() const { return data_; }
    T& operator[](int i) { return data_[i]; }
    const T& operator[](int i) const { return data_[i]; }
    // Ranged for, as the framework's: free functions, no begin()/end() members.
    friend T* begin(TArray& array) { return array.data_; }
    friend T* end(TArray& array) { return array.data_ + array.count_; }
    friend const T* begin(const TArray& array) { return array.data_; }
    friend const T* end(const TArray& array) { return array.data_ + array.count_; }

    void Reserve(int capacity) {
        if (capacity <= max_) return;
        if constexpr (std::is_trivially_copyable_v<T>) {
            data_ = static_cast<T*>(FMemory::Realloc(data_, BytesOf(capacity)));
        } else {
            T* fresh = static_cast<T*>(FMemory::Malloc(BytesOf(capacity), alignof(T)));
            for (int i = 0; i < count_; ++i) {
                new (fresh + i) T(std::move(data_[i]));
                data_[i].~T();
            }
            if (data_) FMemory::Free(data_);
            data_ = fresh;
        }
        max_ = capacity;
    }

    // The arguments may refer into this array (arr.Add(arr[0])): when the storage must grow, the
    // element is made first, while the old storage still holds what they refer to.
    template <typename... A>
    T& Emplace(A&&... args) {
        if (count_ == max_) {
            T made(std::forward<A>(args)...);
            Reserve(std::max(4, max_ + max_ / 2 + 1));
            return Construct(std::move(made));
        }
        return Construct(std::forward<A>(args)...);
    }
    int Add(const T& item) {
        Emplace(item);
        return count_ - 1;
    }
    int Add(T&& item) {
        Emplace(std::move(item));
        return count_ - 1;
    }
    void Append(const T* items, int count) {
        if (count_ + count > max_ && Within(items)) {
            // The items are this array's own, which growing would free before they are read.
            const TArray copy(items, count);
            Append(copy.data_, count);
            return;
        }
        Reserve(count_ + count);
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (count > 0) std::memcpy(data_ + count_, items, BytesOf(count));
            count_ += count;
        } else {
            for (int i = 0; i < count; ++i) Emplace(items[i]);
        }
    }
    // Grows (value-initialised) or shrinks to exactly count elements.
    void SetNum(int count) {
        Reserve(count);
        while (count_ < count) Emplace();
        while (count_ > count) data_[--count_].~T();
    }
    void RemoveAt(int index) {
        data_[index].~T();
        for (int i = index; i + 1 < count_; ++i) {
            new (data_ + i) T(std::move(data_[i + 1]));
            data_[i + 1].~T();
        }
        --count_;
    }
    // Removes the first element equal to item; the number removed (0 or 1).
    std::int32_t RemoveSingle(const T& item) {
        for (int i = 0; i < count_; ++i) {
            if (data_[i] == item) {
                RemoveAt(i);
                return 1;
            }
        }
        return 0;
    }
    void Empty() {
        for (int i = 0; i < count_; ++i) data_[i].~T();
        count_ = 0;
    }

private:
    // T is often a pointer (TArray<AActor*>), which clang-tidy takes for a mistaken sizeof; the
    // element's own size is what is meant.
    static std::size_t BytesOf(int count) {
        return sizeof(T) * static_cast<std::size_t>(count);  // NOLINT(bugprone-sizeof-expression)
    }
    template <typename... A>
    T& Construct(A&&... args) {
        T* slot = new (data_ + count_) T(std::forward<A>(args)...);
        ++count_;
        return *slot;
    }
    bool Within(const T* item) const {
        return std::less_equal<const T*>()(data_, item) && std::less<const T*>()(item, data_ + max_);
    }
    void Swap(TArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(count_, other.count_);
        std::swap(max_, other.max_);
    }

    T* data_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t max_ = 0;
};
