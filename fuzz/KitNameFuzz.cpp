// Kit names (the argument of makekit and getkit) and kit item file names (from the game's object
// names): both become a file system name inside the plugin's kits folder on Windows and Linux,
// so an accepted one must stay a single, ordinary entry there.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HostRuntime/HostState.h"
#include "Private/Kits/KitFiles.h"
#include "Private/Kits/KitName.h"
#include "Private/Kits/PortableFileName.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

const std::string kServerDir = "/srv/ark";
const std::filesystem::path kKitsFolder = kServerDir + "/ArkApi/Plugins/Lockbury/kits";

bool IsValidUtf8(std::string_view text) { return Utf::WideToUtf8(Utf::Utf8ToWide(text)) == text; }

// UTF-16 units of valid UTF-8, whatever the width of wchar_t here.
std::size_t Utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const wchar_t c : Utf::Utf8ToWide(utf8)) units += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
    return units;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// A device Windows opens whatever follows the first dot.
bool NamesDevice(std::string_view name) {
    std::string base = Upper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (base == device) return true;
    if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
    const std::string port = base.substr(3);
    return (port.size() == 1 && port[0] >= '0' && port[0] <= '9') || port == "\xC2\xB9" || port == "\xC2\xB2" ||
           port == "\xC2\xB3";
}

// One entry directly inside a folder, the same one on both systems.
void RequireSingleEntry(const std::string& name) {
    FUZZ_REQUIRE(!name.empty() && name != "." && name != "..");
    for (const char c : name) {
        FUZZ_REQUIRE_WITH(static_cast<unsigned char>(c) >= 0x20, "a control character in \"" + name + "\"");
        FUZZ_REQUIRE_WITH(std::string_view("<>:\"/\\|?*").find(c) == std::string_view::npos,
                          "\"" + name + "\" holds a forbidden character");
    }
    FUZZ_REQUIRE_WITH(name.back() != '.' && name.back() != ' ', "\"" + name + "\" ends in a dot or blank");
    FUZZ_REQUIRE_WITH(!NamesDevice(name), "\"" + name + "\" names a device on Windows");
    FUZZ_REQUIRE(Lockbury::Kits::IsPortableFileName(name));
}

void CheckKitName(const std::string& name) {
    if (IsValidUtf8(name)) FUZZ_REQUIRE(Lockbury::Kits::Utf16Length(name) == Utf16Units(name));
    if (!Lockbury::Kits::IsSafeKitName(name)) return;
    RequireSingleEntry(name);
    FUZZ_REQUIRE(Lockbury::Kits::Utf16Length(name) <= Lockbury::Kits::kMaxKitNameLength);

    // The fuzzer's server has no kits folder: every name is the folder of that name.
    std::vector<std::string> clashing;
    const std::optional<std::filesystem::path> found = Lockbury::Kits::KitFolder(name, clashing);
    FUZZ_REQUIRE(found.has_value() && clashing.empty());
    const std::filesystem::path& folder = *found;
    FUZZ_REQUIRE(folder.lexically_normal() == folder);
    FUZZ_REQUIRE_WITH(folder.parent_path().parent_path() == kKitsFolder && folder.parent_path().filename() == name,
                      "kit \"" + name + "\" is kept at " + folder.string());
}

void CheckCommandLine(const FString& line) {
    const std::vector<std::wstring> words = Fuzz::SpaceSeparatedWords(Fuzz::Units(line));
    const std::optional<std::string> name = Lockbury::Kits::KitNameArgument(line);
    FUZZ_REQUIRE(name.has_value() == (words.size() >= 2));
    if (!name) return;
    FUZZ_REQUIRE(*name == Utf::WideToUtf8(words[1]));
    CheckKitName(*name);
}

void CheckItemFileName(const FItemNetID& id, const std::string& objectName) {
    const std::string file = Lockbury::Kits::KitFileName(id, objectName);
    const std::string prefix = "_" + std::to_string(id.ItemID1) + "_" + std::to_string(id.ItemID2);
    FUZZ_REQUIRE(file.size() <= Lockbury::Kits::kMaxKitFileNameBytes);
    FUZZ_REQUIRE(file.starts_with(prefix) && file.ends_with(".bin"));
    RequireSingleEntry(file);
    if (IsValidUtf8(objectName)) FUZZ_REQUIRE_WITH(IsValidUtf8(file), "a character was cut in \"" + file + "\"");

    // An ordinary object name is kept as it is, so kits written before keep their file names.
    bool ordinary = prefix.size() + objectName.size() + 4 <= Lockbury::Kits::kMaxKitFileNameBytes;
    for (const char c : objectName) ordinary = ordinary && !Lockbury::Kits::IsForbiddenInFileName(c);
    if (ordinary) FUZZ_REQUIRE(file == prefix + objectName + ".bin");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    HostRuntime::SetCurrentDir(kServerDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Fuzz::AsText(data, size);
    CheckCommandLine(Fuzz::FromUtf8(bytes));
    CheckCommandLine(Fuzz::FromUnits(bytes));
    CheckKitName(std::string(bytes));

    FItemNetID id;
    if (size >= 8) {
        std::memcpy(&id.ItemID1, data, 4);
        std::memcpy(&id.ItemID2, data + 4, 4);
    }
    CheckItemFileName(id, std::string(bytes.substr(size >= 8 ? 8 : 0)));
    return 0;
}
