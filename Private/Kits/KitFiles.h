#pragma once
// A kit on disk: one folder per kit under the plugin's "kits" folder, one file per item whose
// whole content is the item's serialised bytes.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Host/BasicTypes.h"

namespace Lockbury::Kits {

// "<server dir>/ArkApi/Plugins/Lockbury/kits/<name>/"
std::filesystem::path KitFolder(const std::string& name);

// "_<first half>_<second half><object name>.bin"
std::string KitFileName(const FItemNetID& id, const std::string& objectName);

// Writes bytes as the whole content of the file; false when the file could not be written.
bool WriteWholeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

// The whole content of a regular, readable file; nothing for a folder or an unreadable entry.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file);

}  // namespace Lockbury::Kits
