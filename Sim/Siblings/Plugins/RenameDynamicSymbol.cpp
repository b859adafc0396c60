// rename-dynamic-symbol LIB FROM TO: renames an exported symbol of a finished ELF shared library.
//
// The sibling plugins export their functions under MSVC-mangled names, which are full of '@'.
// GNU ld and lld both read '@' in a symbol name as a symbol version and refuse such a name, so
// the stand-ins are linked with a placeholder of the same length, and this tool writes the real
// name over it: in the dynamic string table (where dlsym finds it), in the static one (for nm),
// and in the SysV hash table, whose chains depend on the name. The library must be linked with
// --hash-style=sysv: the GNU hash table orders the symbols themselves by hash.
#include <elf.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class Library {
public:
    explicit Library(std::string path) : path_(std::move(path)) {
        std::ifstream in(path_, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + path_);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes_.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes_.data(), ELFMAG, SELFMAG) != 0 ||
            bytes_[EI_CLASS] != ELFCLASS64 || bytes_[EI_DATA] != ELFDATA2LSB)
            throw std::runtime_error(path_ + " is not a 64-bit little-endian ELF file");
        const auto& header = At<Elf64_Ehdr>(0);
        if (header.e_type != ET_DYN) throw std::runtime_error(path_ + " is not a shared library");
        for (unsigned i = 0; i < header.e_shnum; ++i)
            sections_.push_back(&At<Elf64_Shdr>(header.e_shoff + std::size_t{i} * header.e_shentsize));
    }

    void Rename(const std::string& from, const std::string& to) {
        if (from.size() != to.size() || from.empty())
            throw std::runtime_error("the new name must be as long as the placeholder: " + from + " / " + to);
        if (Find(SHT_GNU_HASH)) throw std::runtime_error(path_ + " has a GNU hash table; link it with --hash-style=sysv");
        const Elf64_Shdr* dynsym = Find(SHT_DYNSYM);
        const Elf64_Shdr* hash = Find(SHT_HASH);
        if (!dynsym || !hash) throw std::runtime_error(path_ + " has no dynamic symbols or no SysV hash table");
        const std::size_t index = RenameIn(*dynsym, from, to, true);
        Rehash(*hash, index, from, to);
        if (const Elf64_Shdr* symtab = Find(SHT_SYMTAB)) RenameIn(*symtab, from, to, false);
    }

    void Write() const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
        if (!out) throw std::runtime_error("cannot write " + path_);
    }

private:
    template <typename T>
    T& At(std::size_t offset) {
        if (offset + sizeof(T) > bytes_.size()) throw std::runtime_error(path_ + " is cut short");
        return *reinterpret_cast<T*>(bytes_.data() + offset);
    }

    const Elf64_Shdr* Find(Elf64_Word type) const {
        for (const Elf64_Shdr* section : sections_)
            if (section->sh_type == type) return section;
        return nullptr;
    }

    // Renames the one symbol of the table named `from`; its index. The name's text must be its
    // own: no other symbol's name may end inside it (linkers share the tails of names).
    std::size_t RenameIn(const Elf64_Shdr& table, const std::string& from, const std::string& to, bool required) {
        const Elf64_Shdr& strings = *sections_.at(table.sh_link);
        const std::size_t count = table.sh_size / sizeof(Elf64_Sym);
        std::size_t found = count;
        for (std::size_t i = 0; i < count; ++i) {
            const auto& symbol = At<Elf64_Sym>(table.sh_offset + i * sizeof(Elf64_Sym));
            const char* name = reinterpret_cast<const char*>(&At<char>(strings.sh_offset + symbol.st_name));
            if (name == from) {
                if (found != count) throw std::runtime_error(path_ + " has " + from + " twice");
                found = i;
            }
        }
        if (found == count) {
            if (required) throw std::runtime_error(path_ + " exports no symbol " + from);
            return count;
        }
        const std::size_t start = At<Elf64_Sym>(table.sh_offset + found * sizeof(Elf64_Sym)).st_name;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t other = At<Elf64_Sym>(table.sh_offset + i * sizeof(Elf64_Sym)).st_name;
            if (i != found && other > start && other <= start + from.size())
                throw std::runtime_error(path_ + ": another name shares the text of " + from);
        }
        std::memcpy(&At<char>(strings.sh_offset + start), to.data(), to.size());
        return found;
    }

    static std::uint32_t ElfHash(const std::string& name) {
        std::uint32_t h = 0;
        for (unsigned char c : name) {
            h = (h << 4) + c;
            const std::uint32_t g = h & 0xf0000000u;
            if (g) h ^= g >> 24;
            h &= ~g;
        }
        return h;
    }

    // Moves the symbol from the chain of its old name's bucket to the head of its new one's.
    void Rehash(const Elf64_Shdr& hash, std::size_t index, const std::string& from, const std::string& to) {
        const std::uint32_t buckets = At<std::uint32_t>(hash.sh_offset);
        const std::uint32_t chains = At<std::uint32_t>(hash.sh_offset + 4);
        if (buckets == 0 || index >= chains) throw std::runtime_error(path_ + " has a damaged hash table");
        auto bucket = [&](std::uint32_t b) -> std::uint32_t& {
            return At<std::uint32_t>(hash.sh_offset + 8 + std::size_t{4} * b);
        };
        auto chain = [&](std::size_t i) -> std::uint32_t& {
            return At<std::uint32_t>(hash.sh_offset + 8 + 4 * std::size_t{buckets} + 4 * i);
        };
        std::uint32_t* link = &bucket(ElfHash(from) % buckets);
        for (std::size_t steps = 0; *link != index; link = &chain(*link))
            if (*link == STN_UNDEF || ++steps > chains) throw std::runtime_error(path_ + ": " + from + " is not hashed");
        *link = chain(index);
        std::uint32_t& head = bucket(ElfHash(to) % buckets);
        chain(index) = head;
        head = static_cast<std::uint32_t>(index);
    }

    std::string path_;
    std::vector<unsigned char> bytes_;
    std::vector<Elf64_Shdr*> sections_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: rename-dynamic-symbol LIB FROM TO\n");
        return 2;
    }
    try {
        Library library(argv[1]);
        library.Rename(argv[2], argv[3]);
        library.Write();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rename-dynamic-symbol: %s\n", e.what());
        return 1;
    }
    return 0;
}
