// UTF-8 read into the game's UTF-16 text: every byte that starts no Unicode character stands as
// one U+FFFD and reading goes on with the next byte, so nothing is dropped or made up.
#include <gtest/gtest.h>

#include "Host/Utf.h"

namespace {

TEST(Utf8ToUtf16, OnlyCodePointsUpToU10FFFFAreCharacters) {
    EXPECT_EQ(Utf::Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf::Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");  // the last one there is
    // Past it: F4 with a high second byte, the lead bytes F5 to F7, and F8 (never a lead byte) alike.
    for (const char* beyond : {"\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80"}) {
        SCOPED_TRACE(testing::PrintToString(beyond));
        EXPECT_EQ(Utf::Utf8ToUtf16(beyond), std::u16string(4, u'\uFFFD'));
        EXPECT_EQ(Utf::Utf8ToUtf16(std::string("a") + beyond + "b"), u"a\uFFFD\uFFFD\uFFFD\uFFFDb");
    }
    EXPECT_EQ(Utf::Utf8ToUtf16("\xF5"
                               "a"),
              u"\uFFFDa");
    EXPECT_EQ(Utf::Utf8ToUtf16("\xF6\x80"), u"\uFFFD\uFFFD");  // cut short
}

}  // namespace
