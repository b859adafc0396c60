#include "Private/Kits/KitFiles.h"
#include "Private/Text/Format.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "Host/ArkApi.h"
#include "Private/Kits/PortableFileName.h"
#include "Private/Plugin/PluginFolder.h"

namespace Lockbury::Kits {

namespace {

std::filesystem::path TemporaryFileOf(const std::filesystem::path& file) {
    std::filesystem::path name(".");
    name += file.filename();
    name += ".tmp";
    return file.parent_path() / name;
}

// The error of the stream operation that just failed; streams keep no reason of their own but
// the system call behind them leaves it in errno.
std::error_code LastStreamError() {
    if (errno != 0) return {errno, std::generic_category()};
    return std::make_error_code(std::errc::io_error);
}

// Writes a new file (replacing one of the same name); the error when it is not whole.
std::error_code WriteNewFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes, bool& created) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return LastStreamError();
    created = true;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out.fail()) return LastStreamError();
    out.close();  // the buffered rest is written here
    if (out.fail()) return LastStreamError();
    return {};
}

}  // namespace

std::optional<std::filesystem::path> KitFolder(const std::string& name, std::vector<std::string>& clashing) {
    const std::string kits = PluginFolder() + "/kits/";
    const auto folderOf = [&](const std::string& folder) { return Utf8Path(kits + folder + "/"); };
    clashing.clear();
    // An entry of exactly that name, whatever it is (a link that loops too): the kit is there.
    std::error_code error;
    if (std::filesystem::symlink_status(Utf8Path(kits + name), error).type() != std::filesystem::file_type::not_found ||
        (error && error != std::errc::no_such_file_or_directory)) {
        return folderOf(name);
    }
    const std::wstring key = FileNameCaseKey(name);
    std::filesystem::directory_iterator entries(Utf8Path(kits), error);
    // No kits folder yet, or none that can be read: the name as given, and the commands report
    // what the file system says when they use it.
    for (const std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const std::string entry = PathText(entries->path().filename());
        if (FileNameCaseKey(entry) == key) clashing.push_back(entry);
    }
    if (clashing.empty()) return folderOf(name);
    if (clashing.size() == 1) return folderOf(clashing.front());
    std::sort(clashing.begin(), clashing.end());
    return std::nullopt;
}

std::string KitFileName(const FItemNetID& id, const std::string& objectName) {
    // fmt rather than "_" + std::string: GCC 12 warns falsely (-Wrestrict) on that form.
    const std::string prefix = Format("_{}_{}", id.ItemID1, id.ItemID2);
    const std::string suffix = ".bin";
    std::string object = objectName;
    for (char& c : object)
        if (IsForbiddenInFileName(c)) c = '_';
    const std::size_t room = kMaxKitFileNameBytes - prefix.size() - suffix.size();
    if (object.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(object[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        object.resize(cut);
    }
    return prefix + object + suffix;
}

std::error_code WriteWholeFileAtomically(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path temporary = TemporaryFileOf(file);
    bool created = false;
    std::error_code error = WriteNewFile(temporary, bytes, created);
    if (!error) std::filesystem::rename(temporary, file, error);
    if (error && created) {
        std::error_code ignored;  // the first error is the one worth reporting
        std::filesystem::remove(temporary, ignored);
    }
    return error;
}

bool IsTemporaryFile(const std::filesystem::path& entry) {
    const std::u8string name = entry.filename().u8string();
    return name.size() > 5 && name.starts_with(u8".") && name.ends_with(u8".tmp");
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

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace Lockbury::Kits
