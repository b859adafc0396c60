// The vault name of a /savevault or /loadvault line: the second word, made safe for the u_vault
// column. Lines come as typed (UTF-8 decoded) and as the game may hold them (raw UTF-16 units).
// Compared unit by unit: the game's string compares ignoring case.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Private/Commands/ChatWords.h"
#include "Private/Commands/VaultArgument.h"
#include "Private/Vault/VaultName.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

bool IsVaultNameUnit(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}

bool IsAlphanumeric(wchar_t c) { return IsVaultNameUnit(c) && c != L'_'; }

void CheckSanitised(const FString& name) {
    const FString safe = Lockbury::SanitizeVaultName(name);
    FUZZ_REQUIRE(safe.Len() == name.Len());
    for (int i = 0; i < safe.Len(); ++i) {
        FUZZ_REQUIRE(IsVaultNameUnit(safe[i]));
        FUZZ_REQUIRE(safe[i] == (IsAlphanumeric(name[i]) ? name[i] : L'_'));
    }
    FUZZ_REQUIRE(Fuzz::Units(Lockbury::SanitizeVaultName(safe)) == Fuzz::Units(safe));
    // What reaches the database: one ASCII byte a unit.
    const std::string column = safe.ToString();
    FUZZ_REQUIRE(column.size() == static_cast<std::size_t>(safe.Len()));
}

void CheckLine(const FString& line) {
    CheckSanitised(line);

    const std::vector<std::wstring> expected = Fuzz::SpaceSeparatedWords(Fuzz::Units(line));
    const std::vector<FString> words = Lockbury::Commands::SplitWords(line);
    FUZZ_REQUIRE(words.size() == expected.size());
    for (std::size_t i = 0; i < words.size(); ++i) FUZZ_REQUIRE(Fuzz::Units(words[i]) == expected[i]);

    const std::optional<FString> name = Lockbury::Commands::VaultNameArgument(&line);
    if (expected.size() < 2) {
        FUZZ_REQUIRE(!name);
        return;
    }
    const FString safe = Lockbury::SanitizeVaultName(Fuzz::FromWide(expected[1]));
    if (safe.Len() > Lockbury::kMaxVaultNameLength) {
        FUZZ_REQUIRE_WITH(!name, "a name longer than the column was accepted");
        return;
    }
    FUZZ_REQUIRE_WITH(name.has_value(), "a second word that fits the column was refused");
    FUZZ_REQUIRE(Fuzz::Units(*name) == Fuzz::Units(safe));
    FUZZ_REQUIRE(!name->IsEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FUZZ_REQUIRE(!Lockbury::Commands::VaultNameArgument(nullptr));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Fuzz::AsText(data, size);
    CheckLine(Fuzz::FromUtf8(bytes));
    CheckLine(Fuzz::FromUnits(bytes));
    return 0;
}
