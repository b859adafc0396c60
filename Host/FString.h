#pragma once
// The game's wide string: TCHAR (wchar_t) units with a terminator, on the game's allocator. As the
// framework's: == ignores case, ToString() gives UTF-8, operator* gives the units, and Format
// formats with fmt (a narrow format's result is widened byte by byte, as the game widens ANSI text).
#include <fmt/format.h>
#include <fmt/xchar.h>

#include <cwctype>
#include <string>
#include <string_view>
#include <utility>

#include "TArray.h"
#include "Utf.h"

using TCHAR = wchar_t;

class FString {
public:
    FString() = default;
    FString(const wchar_t* text) { Assign(text ? std::wstring_view(text) : std::wstring_view()); }
    // Narrow text: widened byte by byte, a byte of 0x80 or more becomes '?'.
    FString(const char* narrow) { Assign(Utf::Widen(narrow ? std::string_view(narrow) : std::string_view())); }
    explicit FString(const std::wstring& text) : FString(text.c_str()) {}
    explicit FString(const std::string& narrow) : FString(narrow.c_str()) {}

    // Characters before the terminator.
    int Len() const { return data_.Num() > 0 ? data_.Num() - 1 : 0; }
    bool IsEmpty() const { return Len() == 0; }
    const TCHAR* operator*() const { return data_.Num() > 0 ? data_.GetData() : L""; }
    TCHAR& operator[](int i) { return data_[i]; }
    const TCHAR& operator[](int i) const { return data_[i]; }

    // UTF-8 text of the characters before the terminator.
    std::string ToString() const { return Utf::WideToUtf8(Units()); }

    FString& operator+=(const FString& other) {
        Assign(std::wstring(Units()) + std::wstring(other.Units()));
        return *this;
    }
    friend FString operator+(const FString& a, const FString& b) {
        FString out(a);
        out += b;
        return out;
    }
    // Ignoring case, as the game compares.
    friend bool operator==(const FString& a, const FString& b) {
        const std::wstring_view x = a.Units(), y = b.Units();
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (std::towlower(static_cast<wint_t>(x[i])) != std::towlower(static_cast<wint_t>(y[i]))) return false;
        return true;
    }
    friend bool operator!=(const FString& a, const FString& b) { return !(a == b); }

    template <typename T, typename... Args>
    static FString Format(const T* format, Args&&... args) {
        if constexpr (std::is_same_v<T, wchar_t>) {
            return FString(fmt::format(fmt::runtime(std::wstring_view(format)), std::forward<Args>(args)...));
        } else {
            static_assert(std::is_same_v<T, char>, "format must be a char or wchar_t");
            return FString(fmt::format(fmt::runtime(std::string_view(format)), std::forward<Args>(args)...));
        }
    }

private:
    std::wstring_view Units() const { return {**this, static_cast<std::size_t>(Len())}; }
    void Assign(std::wstring_view text) {
        data_.Empty();
        if (text.empty()) return;
        data_.Reserve(static_cast<int>(text.size()) + 1);
        data_.Append(text.data(), static_cast<int>(text.size()));
        data_.Add(L'\0');
    }

    TArray<TCHAR> data_;
};
