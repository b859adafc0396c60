#include "Private/Kits/KitFiles.h"

#include <fstream>

#include "Host/ArkApi.h"

namespace Lockbury::Kits {

std::filesystem::path KitFolder(const std::string& name) {
    return std::filesystem::path(ArkApi::Tools::GetCurrentDir() + "/ArkApi/Plugins/Lockbury/kits/" + name + "/");
}

std::string KitFileName(const FItemNetID& id, const std::string& objectName) {
    return "_" + std::to_string(id.ItemID1) + "_" + std::to_string(id.ItemID2) + objectName + ".bin";
}

bool WriteWholeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file) {
    // A folder opens as a stream here but reports no size; test the entry's kind first.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) return std::nullopt;
    return bytes;
}

}  // namespace Lockbury::Kits
