#include "WorldFile.h"

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_set>

#include "ClassCatalog.h"

namespace Sim {
namespace {

using Json = nlohmann::ordered_json;
constexpr int kFormat = 1;

// ---- payload bytes as base64 ----

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t v = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        for (int shift : {18, 12, 6, 0}) out += kAlphabet[v >> shift & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const std::uint32_t v = bytes[i] << 16 | (two ? bytes[i + 1] << 8 : 0);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += two ? kAlphabet[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> FromBase64(const std::string& text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::size_t pad = 0;
    if (!text.empty() && text.back() == '=') ++pad;
    if (text.size() >= 2 && text[text.size() - 2] == '=') ++pad;
    int value[256];
    std::fill(std::begin(value), std::end(value), -1);
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kAlphabet[i])] = i;
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        std::uint32_t v = 0;
        for (std::size_t k = i; k < i + 4; ++k) {
            const int d = k >= text.size() - pad ? 0 : value[static_cast<unsigned char>(text[k])];
            if (d < 0) return std::nullopt;
            v = v << 6 | static_cast<std::uint32_t>(d);
        }
        const std::size_t bytes = i + 4 == text.size() ? 3 - pad : 3;
        for (std::size_t b = 0; b < bytes; ++b) out.push_back(static_cast<std::uint8_t>(v >> (16 - 8 * b)));
    }
    return out;
}

// ---- writing ----

Json Location(FVector v) { return Json::array({v.X, v.Y, v.Z}); }

Json ItemJson(const ItemRecord& item) {
    return Json{{"class", item.className},
                {"id", Json::array({item.id.ItemID1, item.id.ItemID2})},
                {"quantity", item.quantity},
                {"slot", item.slot},
                {"engram", item.engram},
                {"initial", item.initial},
                {"durability", item.durability},
                {"creationTime", static_cast<double>(item.creationTime)},
                {"nextSpoilingTime", static_cast<double>(item.nextSpoilingTime)},
                {"spoilSeconds", item.spoilSeconds},
                {"unserialisable", item.unserialisable},
                {"payload", Base64(item.payload)}};
}

// ---- reading: every field checked, every error names where it is ----

class Reader {
public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
        throw WorldFileError(source_ + ": " + where + ": " + what);
    }

    const Json& Field(const Json& object, const char* key, const std::string& where) const {
        if (!object.is_object()) Fail(where, "must be an object");
        auto it = object.find(key);
        if (it == object.end()) Fail(where, std::string("\"") + key + "\" is missing");
        return *it;
    }
    std::string Path(const std::string& where, const char* key) const { return where + "." + key; }

    const Json& Array(const Json& object, const char* key, const std::string& where) const {
        const Json& value = Field(object, key, where);
        if (!value.is_array()) Fail(Path(where, key), "must be an array");
        return value;
    }
    std::string Text(const Json& object, const char* key, const std::string& where) const {
        const Json& value = Field(object, key, where);
        if (!value.is_string()) Fail(Path(where, key), "must be a text");
        return value.get<std::string>();
    }
    bool Bool(const Json& object, const char* key, const std::string& where) const {
        const Json& value = Field(object, key, where);
        if (!value.is_boolean()) Fail(Path(where, key), "must be true or false");
        return value.get<bool>();
    }
    double Number(const Json& value, const std::string& where, double low, double high) const {
        if (!value.is_number()) Fail(where, "must be a number");
        const double v = value.get<double>();
        if (!std::isfinite(v) || v < low || v > high)
            Fail(where, "must be a number from " + Shortest(low) + " to " + Shortest(high));
        return v;
    }
    double Number(const Json& object, const char* key, const std::string& where, double low, double high) const {
        return Number(Field(object, key, where), Path(where, key), low, high);
    }
    std::int64_t Integer(const Json& value, const std::string& where, std::int64_t low, std::int64_t high) const {
        if (!value.is_number_integer()) Fail(where, "must be a whole number");
        if (value.is_number_unsigned() ? value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)
                                       : value.get<std::int64_t>() < low || value.get<std::int64_t>() > high)
            Fail(where, "must be from " + std::to_string(low) + " to " + std::to_string(high));
        return value.get<std::int64_t>();
    }
    std::int64_t Integer(const Json& object, const char* key, const std::string& where, std::int64_t low,
                         std::int64_t high) const {
        return Integer(Field(object, key, where), Path(where, key), low, high);
    }
    // Steam ids are written as decimal text: 64-bit numbers survive every JSON tool that way.
    std::uint64_t SteamId(const Json& object, const std::string& where) const {
        const std::string text = Text(object, "steamId", where);
        std::uint64_t id = 0;
        bool ok = !text.empty() && text.size() <= 20;
        for (char c : text) {
            if (c < '0' || c > '9') ok = false;
            if (!ok) break;
            const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
            if (id > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) ok = false;
            id = id * 10 + digit;
        }
        if (!ok || id == 0) Fail(Path(where, "steamId"), "must be a positive 64-bit number written as text");
        return id;
    }
    FVector Location(const Json& object, const std::string& where) const {
        const Json& value = Field(object, "location", where);
        const std::string at = Path(where, "location");
        if (!value.is_array() || value.size() != 3) Fail(at, "must be [X, Y, Z]");
        const double limit = std::numeric_limits<float>::max();
        return FVector{static_cast<float>(Number(value[0], at, -limit, limit)),
                       static_cast<float>(Number(value[1], at, -limit, limit)),
                       static_cast<float>(Number(value[2], at, -limit, limit))};
    }

private:
    static std::string Shortest(double v) {
        std::ostringstream out;
        out << v;
        return out.str();
    }
    std::string source_;
};

ItemRecord ReadItem(const Reader& r, const Json& j, const std::string& where) {
    ItemRecord item;
    item.className = r.Text(j, "class", where);
    const CatalogEntry* entry = FindClass(item.className);
    if (!entry || !IsItemKind(entry->info.kind)) r.Fail(r.Path(where, "class"), "no item class " + item.className);
    const Json& id = r.Field(j, "id", where);
    const std::string idWhere = r.Path(where, "id");
    if (!id.is_array() || id.size() != 2) r.Fail(idWhere, "must be [ItemID1, ItemID2]");
    item.id.ItemID1 = static_cast<uint32>(r.Integer(id[0], idWhere, 0, 0xFFFFFFFFll));
    item.id.ItemID2 = static_cast<uint32>(r.Integer(id[1], idWhere, 0, 0xFFFFFFFFll));
    item.quantity = static_cast<std::int32_t>(r.Integer(j, "quantity", where, 1, std::numeric_limits<std::int32_t>::max()));
    item.slot = static_cast<std::int32_t>(r.Integer(j, "slot", where, -1, std::numeric_limits<std::int32_t>::max()));
    item.engram = r.Bool(j, "engram", where);
    item.initial = r.Bool(j, "initial", where);
    const double floatMax = std::numeric_limits<float>::max(), doubleMax = std::numeric_limits<double>::max();
    item.durability = static_cast<float>(r.Number(j, "durability", where, 0, floatMax));
    item.creationTime = r.Number(j, "creationTime", where, -doubleMax, doubleMax);
    item.nextSpoilingTime = r.Number(j, "nextSpoilingTime", where, -doubleMax, doubleMax);
    item.spoilSeconds = static_cast<float>(r.Number(j, "spoilSeconds", where, 0, floatMax));
    item.unserialisable = r.Bool(j, "unserialisable", where);
    auto payload = FromBase64(r.Text(j, "payload", where));
    if (!payload) r.Fail(r.Path(where, "payload"), "is not base64 text");
    item.payload = std::move(*payload);
    return item;
}

SavedActor ReadActor(const Reader& r, const Json& j, const std::string& where) {
    SavedActor actor;
    actor.className = r.Text(j, "class", where);
    actor.targetable = r.Bool(j, "targetable", where);
    actor.location = r.Location(j, where);
    actor.descriptiveName = r.Text(j, "descriptiveName", where);
    const CatalogEntry* entry = FindClass(actor.className);
    if (actor.targetable && (!entry || IsItemKind(entry->info.kind)))
        r.Fail(r.Path(where, "class"), "no structure class " + actor.className);
    if (!actor.targetable && (actor.className.empty() || entry))
        r.Fail(r.Path(where, "class"), "a non-targetable actor needs a class of its own, not \"" + actor.className + "\"");
    return actor;
}

// Steam ids of a list, each once.
void Unique(const Reader& r, std::set<std::uint64_t>& seen, std::uint64_t id, const std::string& where) {
    if (!seen.insert(id).second) r.Fail(where, "steam id " + std::to_string(id) + " is given twice");
}

}  // namespace

std::filesystem::path WorldFilePath(const std::filesystem::path& serverDir) {
    return serverDir / "SavedArks" / "World.json";
}

std::string WorldText(const SavedWorld& world) {
    Json characters = Json::array();
    for (const SavedCharacter& c : world.characters) {
        Json items = Json::array();
        for (const ItemRecord& item : c.items) items.push_back(ItemJson(item));
        characters.push_back(Json{{"steamId", std::to_string(c.steamId)},
                                  {"name", c.name},
                                  {"location", Location(c.location)},
                                  {"dead", c.dead},
                                  {"items", std::move(items)}});
    }
    Json actors = Json::array();
    for (const SavedActor& a : world.actors)
        actors.push_back(Json{{"class", a.className},
                              {"targetable", a.targetable},
                              {"location", Location(a.location)},
                              {"descriptiveName", a.descriptiveName}});
    Json permissions = Json::array();
    for (const auto& [id, granted] : world.permissions)
        permissions.push_back(Json{{"steamId", std::to_string(id)}, {"permissions", granted}});
    Json points = Json::array();
    for (const auto& [id, balance] : world.points)
        points.push_back(Json{{"steamId", std::to_string(id)}, {"points", balance}});
    const Json doc{{"format", kFormat},           {"LastSaveWorldTime", world.lastSaveWorldTime},
                   {"gameTime", world.gameTime},  {"characters", std::move(characters)},
                   {"actors", std::move(actors)}, {"permissions", std::move(permissions)},
                   {"points", std::move(points)}};
    return doc.dump(1) + "\n";
}

SavedWorld ParseWorldText(const std::string& text, const std::string& source) {
    Reader r(source);
    Json doc;
    try {
        doc = Json::parse(text);
    } catch (const Json::parse_error& e) {
        throw WorldFileError(source + ": not a world file (damaged JSON): " + e.what());
    }
    if (!doc.is_object()) r.Fail("the file", "must hold one JSON object");
    if (r.Integer(doc, "format", "the file", 0, 1000) != kFormat)
        r.Fail("format", "is " + doc["format"].dump() + "; this server reads format " + std::to_string(kFormat));

    SavedWorld world;
    const double doubleMax = std::numeric_limits<double>::max();
    world.lastSaveWorldTime = r.Number(doc, "LastSaveWorldTime", "the file", 0, doubleMax);
    world.gameTime = r.Number(doc, "gameTime", "the file", 0, doubleMax);

    std::set<std::uint64_t> steamIds;
    std::unordered_set<std::uint64_t> itemIds;
    const Json& characters = r.Array(doc, "characters", "the file");
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const std::string where = "characters[" + std::to_string(i) + "]";
        SavedCharacter c;
        c.steamId = r.SteamId(characters[i], where);
        Unique(r, steamIds, c.steamId, where);
        c.name = r.Text(characters[i], "name", where);
        if (c.name.empty()) r.Fail(r.Path(where, "name"), "must not be empty");
        c.location = r.Location(characters[i], where);
        c.dead = r.Bool(characters[i], "dead", where);
        const Json& items = r.Array(characters[i], "items", where);
        for (std::size_t k = 0; k < items.size(); ++k) {
            const std::string itemWhere = where + ".items[" + std::to_string(k) + "]";
            ItemRecord item = ReadItem(r, items[k], itemWhere);
            const std::uint64_t key = static_cast<std::uint64_t>(item.id.ItemID2) << 32 | item.id.ItemID1;
            if (!itemIds.insert(key).second)
                r.Fail(itemWhere + ".id", "item id [" + std::to_string(item.id.ItemID1) + ", " +
                                              std::to_string(item.id.ItemID2) + "] is held by another item already");
            c.items.push_back(std::move(item));
        }
        world.characters.push_back(std::move(c));
    }

    const Json& actors = r.Array(doc, "actors", "the file");
    for (std::size_t i = 0; i < actors.size(); ++i)
        world.actors.push_back(ReadActor(r, actors[i], "actors[" + std::to_string(i) + "]"));

    std::set<std::uint64_t> seen;
    const Json& permissions = r.Array(doc, "permissions", "the file");
    for (std::size_t i = 0; i < permissions.size(); ++i) {
        const std::string where = "permissions[" + std::to_string(i) + "]";
        const std::uint64_t id = r.SteamId(permissions[i], where);
        Unique(r, seen, id, where);
        const Json& granted = r.Array(permissions[i], "permissions", where);
        for (const Json& p : granted) {
            if (!p.is_string()) r.Fail(r.Path(where, "permissions"), "must hold texts");
            world.permissions[id].insert(p.get<std::string>());
        }
    }
    seen.clear();
    const Json& points = r.Array(doc, "points", "the file");
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string where = "points[" + std::to_string(i) + "]";
        const std::uint64_t id = r.SteamId(points[i], where);
        Unique(r, seen, id, where);
        world.points[id] = static_cast<int>(r.Integer(points[i], "points", where, 0, std::numeric_limits<int>::max()));
    }
    return world;
}

std::optional<SavedWorld> ReadWorldFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (ec) throw WorldFileError(file.string() + ": cannot be looked at: " + ec.message());
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw WorldFileError(file.string() + ": cannot be opened: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw WorldFileError(file.string() + ": cannot be read");
    return ParseWorldText(text.str(), file.string());
}

namespace {

[[noreturn]] void WriteFailed(const std::filesystem::path& path, const char* step, int error) {
    throw std::runtime_error("cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(error));
}

// The file system calls of a save, on each system: create, flush to disk, rename over, and make
// the rename itself durable.
#if defined(_WIN32)
int CreateForWriting(const std::filesystem::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int FlushToDisk(int fd) { return ::_commit(fd); }
// MOVEFILE_WRITE_THROUGH returns once the rename is on disk; nothing is left for FlushFolder.
int RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}
void FlushFolder(const std::filesystem::path& /*folder*/) {}
#else
int CreateForWriting(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}
int FlushToDisk(int fd) { return ::fsync(fd); }
int RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str());
}
void FlushFolder(const std::filesystem::path& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
#endif

void WriteAll(int fd, const std::string& text, const std::filesystem::path& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            WriteFailed(path, "write", error);
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void WriteWorldFile(const std::filesystem::path& file, const SavedWorld& world,
                    const std::function<void(WriteStage)>& reached) {
    const std::filesystem::path folder = file.parent_path();
    // Only the save folder itself is made: a server folder that is gone is a fault, not a place to make.
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (ec) throw std::runtime_error("cannot make the folder " + folder.string() + ": " + ec.message());
    const std::filesystem::path temporary = folder / (file.filename().string() + ".tmp");
    const std::string text = WorldText(world);

    const int fd = CreateForWriting(temporary);
    if (fd < 0) WriteFailed(temporary, "create", errno);
    WriteAll(fd, text, temporary);
    if (FlushToDisk(fd) != 0) {
        const int error = errno;
        ::close(fd);
        WriteFailed(temporary, "flush", error);
    }
    if (::close(fd) != 0) WriteFailed(temporary, "close", errno);
    if (reached) reached(WriteStage::Written);

    if (RenameOver(temporary, file) != 0) {
        const int error = errno;
        std::filesystem::remove(temporary, ec);
        WriteFailed(file, "replace", error);
    }
    // The rename itself is on disk only once the folder is flushed.
    FlushFolder(folder);
    if (reached) reached(WriteStage::Renamed);
}

}  // namespace Sim
