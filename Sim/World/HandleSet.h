#pragma once
// The set of live object handles. Every game call checks its object here, so membership must be
// one or two probes into a flat table rather than a walk through hash buckets.
#include <cstdint>
#include <vector>

namespace Sim {

class HandleSet {
public:
    bool Contains(const void* handle) const {
        if (!handle || slots_.empty()) return false;
        for (std::size_t i = Home(handle);; i = (i + 1) & mask_) {
            if (slots_[i] == handle) return true;
            if (!slots_[i]) return false;
        }
    }

    void Insert(const void* handle) {
        if (!handle || Contains(handle)) return;
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        Place(handle);
        ++count_;
    }

    void Erase(const void* handle) {
        if (!handle || slots_.empty()) return;
        std::size_t i = Home(handle);
        while (slots_[i] != handle) {
            if (!slots_[i]) return;
            i = (i + 1) & mask_;
        }
        // Backward-shift deletion keeps every probe run unbroken without tombstones.
        for (std::size_t j = (i + 1) & mask_; slots_[j]; j = (j + 1) & mask_) {
            const std::size_t home = Home(slots_[j]);
            if (((j - home) & mask_) >= ((j - i) & mask_)) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = nullptr;
        --count_;
    }

    std::size_t Size() const { return count_; }

private:
    std::size_t Home(const void* handle) const {
        auto bits = reinterpret_cast<std::uintptr_t>(handle);
        return static_cast<std::size_t>((bits >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask_;
    }

    void Place(const void* handle) {
        std::size_t i = Home(handle);
        while (slots_[i]) i = (i + 1) & mask_;
        slots_[i] = handle;
    }

    void Grow() {
        std::vector<const void*> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, nullptr);
        mask_ = slots_.size() - 1;
        for (const void* handle : old)
            if (handle) Place(handle);
    }

    std::vector<const void*> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

}  // namespace Sim
