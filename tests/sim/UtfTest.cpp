// UTF-8 read into the game's wide text (UTF-16 where wchar_t has two bytes, UTF-32 where it has
// four): every byte that starts no Unicode character stands as one U+FFFD and reading goes on
// with the next byte, so nothing is dropped or made up.
#include <gtest/gtest.h>

#include "Host/Utf.h"

namespace {

TEST(Utf8ToWide, OnlyCodePointsUpToU10FFFFAreCharacters) {
    EXPECT_EQ(Utf::Utf8ToWide("\xF0\x9F\x98\x80"), L"\U0001F600");
    EXPECT_EQ(Utf::Utf8ToWide("\xF4\x8F\xBF\xBF"), L"\U0010FFFF");  // the last one there is
    // Past it: F4 with a high second byte, the lead bytes F5 to F7, and F8 (never a lead byte) alike.
    for (const char* beyond : {"\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80"}) {
        SCOPED_TRACE(testing::PrintToString(beyond));
        EXPECT_EQ(Utf::Utf8ToWide(beyond), std::wstring(4, L'\uFFFD'));
        EXPECT_EQ(Utf::Utf8ToWide(std::string("a") + beyond + "b"), L"a\uFFFD\uFFFD\uFFFD\uFFFDb");
    }
    EXPECT_EQ(Utf::Utf8ToWide("\xF5"
                              "a"),
              L"\uFFFDa");
    EXPECT_EQ(Utf::Utf8ToWide("\xF6\x80"), L"\uFFFD\uFFFD");  // cut short
}

TEST(WideToUtf8, EveryCharacterComesBackAndWhatIsNoneBecomesUFFFD) {
    const std::string text =
        "Tresor \xC2\xAB"
        "Zo\xC3\xAB\xC2\xBB \xF0\x9F\xA6\x96";
    EXPECT_EQ(Utf::WideToUtf8(Utf::Utf8ToWide(text)), text);
    EXPECT_EQ(Utf::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD") << "a lone surrogate";
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_EQ(Utf::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD") << "past U+10FFFF";
    }
}

}  // namespace
