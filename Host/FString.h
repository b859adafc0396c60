#pragma once
// The game's wide string: UTF-16 code units with a terminator, on the game's allocator.
#include <fmt/format.h>

#include <string>
#include <string_view>
#include <utility>

#include "TArray.h"
#include "Utf.h"

class FString {
public:
    FString() = default;
    FString(std::u16string_view text) { Assign(text); }
    FString(const char16_t* text) { Assign(text ? std::u16string_view(text) : std::u16string_view()); }
    // Narrow text: widened byte by byte, a byte of 0x80 or more becomes '?'.
    explicit FString(std::string_view narrow) { Assign(Utf::Widen(narrow)); }
    explicit FString(const char* narrow) : FString(std::string_view(narrow ? narrow : "")) {}

    // Characters before the terminator.
    int Len() const { return data_.Num() > 0 ? data_.Num() - 1 : 0; }
    bool IsEmpty() const { return Len() == 0; }
    std::u16string_view View() const { return {data_.GetData(), static_cast<std::size_t>(Len())}; }
    const char16_t* operator*() const { return data_.Num() > 0 ? data_.GetData() : u""; }
    char16_t operator[](int i) const { return data_[i]; }

    // UTF-8 text of the characters before the terminator.
    std::string ToString() const { return Utf::Utf16ToUtf8(View()); }

    FString& operator+=(const FString& other) {
        Assign(std::u16string(View()) + std::u16string(other.View()));
        return *this;
    }
    friend FString operator+(const FString& a, const FString& b) {
        FString out(a);
        out += b;
        return out;
    }
    friend bool operator==(const FString& a, const FString& b) { return a.View() == b.View(); }

    // A narrow format: the formatted text is widened byte by byte.
    template <typename... Args>
    static FString Format(const char* format, Args&&... args) {
        return FString(std::string_view(fmt::format(fmt::runtime(format), std::forward<Args>(args)...)));
    }
    // A wide format (a configured text): formatted as UTF-8 and decoded again, so every character survives.
    template <typename... Args>
    static FString Format(const FString& format, Args&&... args) {
        return FString(std::u16string_view(
            Utf::Utf8ToUtf16(fmt::format(fmt::runtime(format.ToString()), std::forward<Args>(args)...))));
    }

private:
    void Assign(std::u16string_view text) {
        data_.Empty();
        if (text.empty()) return;
        data_.Reserve(static_cast<int>(text.size()) + 1);
        data_.Append(text.data(), static_cast<int>(text.size()));
        data_.Add(u'\0');
    }

    TArray<char16_t> data_;
};

// FString arguments format as their UTF-8 text.
template <>
struct fmt::formatter<FString> : fmt::formatter<std::string_view> {
    template <typename Ctx>
    auto format(const FString& s, Ctx& ctx) const {
        return fmt::formatter<std::string_view>::format(s.ToString(), ctx);
    }
};
