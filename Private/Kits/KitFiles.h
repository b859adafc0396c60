#pragma once
// A kit on disk: one folder per kit under the plugin's "kits" folder, one file per item whose
// whole content is the item's serialised bytes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "Host/ArkApi.h"

namespace Lockbury::Kits {

// The longest item file name, in bytes: the 255 both systems allow, less the room the
// temporary name of the file needs (see WriteWholeFileAtomically).
inline constexpr std::size_t kMaxKitFileNameBytes = 250;

// "<server dir>/ArkApi/Plugins/Lockbury/kits/<folder>/" for the kit name, the same on Windows and
// on Linux: names that differ only in letter case (FileNameCaseKey) are one kit, as Windows file
// names are. The folder is the entry of the kits folder named exactly so when there is one;
// otherwise the one entry whose name is the same ignoring case; otherwise the name as given (a
// folder makekit makes). Nothing when several entries are the same ignoring case and none
// exactly (kits made on Linux before this rule): `clashing` then holds their names, sorted.
std::optional<std::filesystem::path> KitFolder(const std::string& name, std::vector<std::string>& clashing);

// "_<first half>_<second half><object name>.bin". The object name comes from the game, so a
// character that is not allowed in a Windows file name (path separators among them) becomes
// "_", and an object name too long for kMaxKitFileNameBytes is cut at a character boundary.
// An ordinary object name is kept as it is, so kits written before keep their file names.
std::string KitFileName(const FItemNetID& id, const std::string& objectName);

// Writes bytes as the whole content of the file by way of a temporary file beside it that is
// then renamed over it: the file is either the old one or the new one, never a cut one. The
// temporary file does not outlive a failure. Nothing on success, else the file system's error.
std::error_code WriteWholeFileAtomically(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

// Whether a kit folder entry is a temporary file ("." + file name + ".tmp") that a write cut
// short by a crash left behind.
bool IsTemporaryFile(const std::filesystem::path& entry);

// The whole content of a regular, readable file; nothing for a folder or an unreadable entry.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file);

// The path as UTF-8, for the log.
std::string PathText(const std::filesystem::path& path);

}  // namespace Lockbury::Kits
