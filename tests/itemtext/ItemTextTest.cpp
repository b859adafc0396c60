// The item text form and the vault-name alphabet: what goes into the itemdata and vaultname
// columns, and what comes back out of stored texts.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Private/Vault/ItemText.h"
#include "Private/Vault/VaultName.h"

namespace {

using Lockbury::BytesToHex;
using Lockbury::HexToBytes;

std::vector<unsigned char> ToVector(const TArray<unsigned char>& bytes) { return {begin(bytes), end(bytes)}; }

std::vector<unsigned char> Decode(const std::string& text) { return ToVector(HexToBytes(text)); }

// What strtol makes of one piece, independently of the conversion's tables.
std::optional<unsigned char> StrtolPiece(std::string piece) {
    // The C standard's reading, which msvcrt.dll (the Windows cross-build's runtime) departs from.
    if (piece == "0x" || piece == "0X") return 0;
    char* end = nullptr;
    const long value = std::strtol(piece.c_str(), &end, 16);
    if (end == piece.c_str()) return std::nullopt;
    return static_cast<unsigned char>(value & 0xFF);
}

TEST(ItemText, KnownBytesAndTexts) {
    const std::vector<unsigned char> bytes{0x00, 0x0A, 0xFF};
    EXPECT_EQ(BytesToHex(bytes), "000aff");
    EXPECT_EQ(Decode("000aff"), bytes);
    EXPECT_EQ(BytesToHex(std::vector<unsigned char>{}), "");
    EXPECT_TRUE(Decode("").empty());
    EXPECT_EQ(Decode("abc"), (std::vector<unsigned char>{0xAB, 0x0C}));
    EXPECT_EQ(Decode("DEADbeef"), (std::vector<unsigned char>{0xDE, 0xAD, 0xBE, 0xEF}));
}

TEST(ItemText, PiecesFollowStrtolRules) {
    EXPECT_EQ(Decode(" a"), std::vector<unsigned char>{0x0A});  // leading white space
    EXPECT_EQ(Decode("+f"), std::vector<unsigned char>{0x0F});  // sign
    EXPECT_EQ(Decode("-1"), std::vector<unsigned char>{0xFF});  // low 8 bits of -1
    EXPECT_EQ(Decode("0x"), std::vector<unsigned char>{0x00});  // prefix without digits reads the 0
    EXPECT_EQ(Decode("1z"), std::vector<unsigned char>{0x01});  // stops at the first non-digit
    EXPECT_EQ(Decode("ff\t7"), (std::vector<unsigned char>{0xFF, 0x07}));
    EXPECT_EQ(Decode(std::string("5\0", 2)), std::vector<unsigned char>{0x05});
}

TEST(ItemText, PieceWithoutDigitFailsTheWholeText) {
    const std::vector<std::string> texts{"zz",
                                         "00zz",
                                         "x1",
                                         "  ",
                                         "+",
                                         "ab z",
                                         std::string("\0"
                                                     "5",
                                                     2)};
    for (const std::string& bad : texts) {
        try {
            HexToBytes(bad);
            ADD_FAILURE() << "no error for \"" << bad << "\"";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "invalid stoi argument") << bad;
        }
    }
}

// The fast path must agree with strtol on every possible piece, valid or not.
TEST(ItemText, EveryPieceAgreesWithStrtol) {
    for (int a = 0; a < 256; ++a) {
        for (int b = -1; b < 256; ++b) {
            std::string piece(1, static_cast<char>(a));
            if (b >= 0) piece.push_back(static_cast<char>(b));
            const std::optional<unsigned char> expected = StrtolPiece(piece);
            if (expected) {
                ASSERT_EQ(Decode(piece), std::vector<unsigned char>{*expected}) << a << " " << b;
            } else {
                ASSERT_THROW(HexToBytes(piece), std::invalid_argument) << a << " " << b;
            }
        }
    }
}

TEST(ItemText, RandomBytesRoundTrip) {
    std::mt19937 random(20240611);
    std::vector<std::size_t> sizes{0, 1, 2, 3, 7, 8, 15, 16, 17, 255, 256, 2048, 65537, 1 << 20};
    for (int i = 0; i < 50; ++i) sizes.push_back(random() % 5000);
    for (std::size_t size : sizes) {
        std::vector<unsigned char> bytes(size);
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        const std::string text = BytesToHex(bytes);
        ASSERT_EQ(text.size(), size * 2);
        ASSERT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
        ASSERT_EQ(Decode(text), bytes) << "size " << size;
    }
}

TEST(VaultName, OnlyLettersDigitsAndUnderscoreSurvive) {
    using Lockbury::SanitizeVaultName;
    // Compared exactly: the game's string compares ignoring case.
    EXPECT_EQ(SanitizeVaultName(FString("my-base!")).ToString(), "my_base_");
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    EXPECT_EQ(SanitizeVaultName(FString(alphabet)).ToString(), alphabet);
    // One "_" per unit of the game's text: a letter outside the alphabet, and a character beyond
    // the BMP (two UTF-16 units on a live server, one where wchar_t holds UTF-32).
    EXPECT_EQ(SanitizeVaultName(FString(L"Caf\u00e9\U0001F600")).ToString(),
              "Caf" + std::string(sizeof(wchar_t) == 2 ? 3 : 2, '_'));
    EXPECT_EQ(SanitizeVaultName(FString(L"a b_c")).ToString(), "a_b_c");
    EXPECT_TRUE(SanitizeVaultName(FString()).IsEmpty());
}

}  // namespace
