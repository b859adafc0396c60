#pragma once
// The first version's one-row statements, for the floor that compares a save and a load of one
// statement per row with the store's batches; the store's own texts come from its statement
// modules (Database/VaultStatements.h), so the floor of today's commands cannot drift from them.
#include <fmt/format.h>

#include <cstdint>
#include <string>

namespace Bench::Statements {

inline std::string AddItem(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                           const std::string& hex, std::int64_t now) {
    return fmt::format(
        "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, dtinsert) values({}, '{}', '{}', "
        "'{}', {})",
        steamid, vault, itemname, hex, now);
}

inline std::string GetItems(std::uint64_t steamid, const std::string& vault, int limit) {
    return fmt::format("SELECT id, itemdata, blueprint, qtd FROM u_vault WHERE steamid = {} and vaultname = '{}' LIMIT {}",
                       steamid, vault, limit);
}

inline std::string DeleteItem(const std::string& id) { return "DELETE FROM u_vault where id = " + id; }

}  // namespace Bench::Statements
