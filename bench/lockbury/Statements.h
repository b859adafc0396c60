#pragma once
// The statements the vault commands send, written out for the floor, which sends them straight
// through the client library. They must stay as the store writes them (Database/MysqlDB.cpp).
#include <fmt/format.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Bench::Statements {

inline std::string AddItem(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                           const std::string& hex, std::int64_t now) {
    return fmt::format(
        "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, dtinsert) values({}, '{}', '{}', "
        "'{}', {})",
        steamid, vault, itemname, hex, now);
}

// The batch a save sends now: every row in one multi-row INSERT.
inline std::string AddItems(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                            const std::vector<std::string>& hex, std::int64_t now) {
    std::string sql = "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) values ";
    for (std::size_t i = 0; i < hex.size(); ++i) {
        if (i) sql += ',';
        sql += fmt::format("({}, '{}', '{}', '{}', DEFAULT, DEFAULT, {})", steamid, vault, itemname, hex[i], now);
    }
    return sql;
}

inline std::string GetItems(std::uint64_t steamid, const std::string& vault, int limit) {
    return fmt::format("SELECT id, itemdata, blueprint, qtd FROM u_vault WHERE steamid = {} and vaultname = '{}' LIMIT {}",
                       steamid, vault, limit);
}

inline std::string DeleteItem(const std::string& id) { return "DELETE FROM u_vault where id = " + id; }

inline std::string ListVault(int decay, std::uint64_t steamid) {
    return fmt::format(
        "SELECT    vaultname,    count(*) as total,    if ((((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1) < "
        "0, '00:00:00', (SEC_TO_TIME(((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1))) as falta FROM u_vault "
        "WHERE steamid = {} GROUP BY vaultname ",
        decay, decay, steamid);
}

}  // namespace Bench::Statements
