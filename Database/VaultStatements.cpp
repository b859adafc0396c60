#include "Database/VaultStatements.h"

#include "Database/StoreLog.h"
#include "Database/Text/Format.h"

using StoreLog::IdList;

const char* VaultStatements::Create() {
    return "CREATE TABLE IF NOT EXISTS u_vault (id INT NOT NULL AUTO_INCREMENT,steamid BIGINT(11) NOT NULL DEFAULT "
           "0,vaultname varchar(400),itemname varchar(400),itemdata MEDIUMTEXT,blueprint varchar(400),qtd int DEFAULT "
           "NULL,dtinsert int,PRIMARY KEY(Id),KEY `p1` (`steamid`),KEY `p2` (`vaultname`),KEY `p3` "
           "(`steamid`,`itemname`))";
}

// A batch names every column either kind of row fills; a row gives DEFAULT for the columns its
// kind leaves out. The blueprint stands between single quotes like every other text: between
// double quotes a server running with ANSI_QUOTES would read it as a column name.
const char* VaultStatements::AddRowsHead() {
    return "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) values ";
}

std::string VaultStatements::ItemValues(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                                        const std::string& itemdata, std::int64_t now) {
    return Formatting::Format("({}, '{}', '{}', '{}', DEFAULT, DEFAULT, {})", steamid, vault, itemname, itemdata, now);
}

std::string VaultStatements::ResourceValues(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                                            const std::string& blueprint, std::int32_t qtd, std::int64_t now) {
    return Formatting::Format("({}, '{}', '{}', DEFAULT, '{}', {}, {})", steamid, vault, itemname, blueprint, qtd, now);
}

// A claim is found without locks, then locked by primary key: a locking read by player and vault
// name locks every row it scans, and on a small table (or through the name's index) that is other
// players' rows too, held while the load's items are given.
std::string VaultStatements::ClaimCandidates(std::uint64_t steamid, const std::string& vault, std::int32_t limit) {
    // Oldest first: the rows nearest to decaying leave first (the player's index holds them in id order).
    return Formatting::Format("SELECT id FROM u_vault WHERE steamid = {} and vaultname = '{}' ORDER BY id LIMIT {}",
                              steamid, vault, limit);
}

// The claim waits for rows another session holds at most the session's lock wait bound (see
// MySql's session set-up), then the load is refused as a store failure, with nothing given; so is
// a claim chosen as the victim of a deadlock with a decay batch deleting the same player's due rows.
// A candidate taken meanwhile (by a load elsewhere) is left out; so is an id a server restarted since
// gave again to another row (older MySQL resumes AUTO_INCREMENT at the highest id left). Read by the
// primary key alone, whatever the optimiser thinks of the player's index: it locks the rows read.
std::string VaultStatements::Claim(const std::vector<std::int32_t>& candidates, std::uint64_t steamid,
                                   const std::string& vault) {
    return Formatting::Format(
        "SELECT id, itemdata, blueprint, qtd, itemname FROM u_vault FORCE INDEX (PRIMARY) WHERE id IN ({}) AND steamid "
        "= {} and vaultname = '{}' ORDER BY id FOR UPDATE",
        IdList(candidates), steamid, vault);
}

std::string VaultStatements::Ids(std::uint64_t steamid, const std::string& vault) {
    return Formatting::Format("SELECT id FROM u_vault WHERE steamid = {} AND vaultname = '{}' ORDER BY id", steamid, vault);
}

std::string VaultStatements::DeleteRows(const std::vector<std::int32_t>& ids) {
    return Formatting::Format("DELETE FROM u_vault WHERE id IN ({})", IdList(ids));
}

std::string VaultStatements::KeepRemainders(const std::vector<std::pair<std::int32_t, std::int32_t>>& remainders) {
    std::string cases;
    std::vector<std::int32_t> ids;
    for (const auto& [id, left] : remainders) {
        cases += Formatting::Format(" WHEN {} THEN {}", id, left);
        ids.push_back(id);
    }
    return Formatting::Format("UPDATE u_vault SET qtd = CASE id {} END WHERE id IN ({})", cases, IdList(ids));
}

std::string VaultStatements::RowsStill(const std::vector<std::int32_t>& ids) {
    return Formatting::Format("SELECT id, qtd FROM u_vault WHERE id IN ({})", IdList(ids));
}

std::string VaultStatements::List(int decayMinutes, std::uint64_t steamid) {
    return Formatting::Format(
        "SELECT    vaultname,    count(*) as total,    if ((((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1) < "
        "0, '00:00:00', (SEC_TO_TIME(((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1))) as falta FROM u_vault "
        "WHERE steamid = {} GROUP BY vaultname ",
        decayMinutes, decayMinutes, steamid);
}

std::string VaultStatements::ReadRows(std::uint64_t steamid, const std::string& vault, std::int32_t limit) {
    return Formatting::Format(
        "SELECT id, IFNULL(itemname, ''), IFNULL(qtd, 1), IFNULL(dtinsert, 0) FROM u_vault WHERE steamid = {} AND "
        "vaultname = '{}' ORDER BY id LIMIT {}",
        steamid, vault, limit);
}
