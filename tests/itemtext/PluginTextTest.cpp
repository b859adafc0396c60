// The plugin's own text layer, which must behave alike on Windows (two-byte wchar_t, the
// framework's fmt 4.1) and here: UTF-8 in and out of the game's text, formatting with the game's
// text as an argument, and the dates of the administrators' reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Private/Admin/AdminCommands.h"
#include "Private/Text/Format.h"
#include "Private/Text/TextSearch.h"
#include "Private/Text/Utf8.h"

namespace {

using Lockbury::Text::Utf8ToWide;
using Lockbury::Text::WideToUtf8;

TEST(PluginText, Utf8RoundTripsEveryPlaneAndReplacesWhatItCannotRead) {
    const std::string mixed = "Tr\xC3\xA9sor \xE2\x9C\x93 \xF0\x9F\x98\x80";  // Trésor ✓ 😀
    const std::wstring wide = Utf8ToWide(mixed);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 11u : 10u);  // the emoji is a surrogate pair on Windows
    EXPECT_EQ(WideToUtf8(wide), mixed);
    EXPECT_EQ(Lockbury::Text::FromUtf8(mixed).ToString(), mixed);

    const std::wstring replaced(1, static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(Utf8ToWide("\xC3"), replaced);  // cut short
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), replaced + replaced);  // an overlong '/'
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), replaced + replaced + replaced);  // an encoded surrogate
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a" + replaced + L"b");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xEF\xBF\xBDx");
}

TEST(PluginText, FormatsTheGameTextAsUtf8AndNeverReadsBracesInAValue) {
    const FString player = Lockbury::Text::FromUtf8("Zo\xC3\xAB");
    EXPECT_EQ(Lockbury::Format("{} has {} items, {:.1f} kg", player, 3, 2.5), "Zo\xC3\xAB has 3 items, 2.5 kg");
    EXPECT_EQ(Lockbury::Format(std::string("{:>4}|{:02}"), "ab", 7), "  ab|07");
    EXPECT_EQ(Lockbury::FormatText("vault {}", FString(L"{0}")).ToString(), "vault {0}");
    EXPECT_ANY_THROW((void)Lockbury::Format("{} {}", 1));
    EXPECT_EQ(Formatting::Join(std::vector<int>{1, 2, 3}, ","), "1,2,3");
    EXPECT_EQ(Formatting::Join(std::vector<std::string>{"a", "b"}, ", "), "a, b");
    EXPECT_EQ(Formatting::Join(std::vector<int>{}, ","), "");
}

TEST(PluginText, SearchIgnoresCaseFindsDecodedTextAndAnEmptyPatternMatchesNothing) {
    const FString text = Lockbury::Text::FromUtf8("PrimalItem_Tr\xC3\xA9sor_C");
    EXPECT_TRUE(Lockbury::ContainsIgnoreCase(text, FString(L"primalitem")));
    EXPECT_TRUE(Lockbury::ContainsIgnoreCase(text, Lockbury::Text::FromUtf8("tr\xC3\xA9SOR")));  // tréSOR
    EXPECT_FALSE(Lockbury::ContainsIgnoreCase(text, FString(L"Tresor")));
    EXPECT_FALSE(Lockbury::ContainsIgnoreCase(text, FString()));
}

TEST(PluginText, ReportTimesAreCivilUtcDatesOnBothSidesOf1970) {
    using Lockbury::Admin::UtcTime;
    EXPECT_EQ(UtcTime(0), "1970-01-01 00:00:00 UTC");
    EXPECT_EQ(UtcTime(-1), "1969-12-31 23:59:59 UTC");
    EXPECT_EQ(UtcTime(951782400), "2000-02-29 00:00:00 UTC");
    EXPECT_EQ(UtcTime(1796860799), "2026-12-09 23:59:59 UTC");
    EXPECT_EQ(UtcTime(253402300799), "9999-12-31 23:59:59 UTC");
}

}  // namespace
