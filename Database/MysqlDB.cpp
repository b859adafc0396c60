#include "Database/MysqlDB.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

#include "Database/Mysql/ErrorCodes.h"
#include "Host/ArkApi.h"
#include "Private/Config.h"
#include "Private/Log.h"

namespace {

constexpr const char* kSource = "Database/MysqlDB";
constexpr const char* kTable = "u_vault";

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS {} (id INT NOT NULL AUTO_INCREMENT,steamid BIGINT(11) NOT NULL DEFAULT "
    "0,vaultname varchar(400),itemname varchar(400),itemdata MEDIUMTEXT,blueprint varchar(400),qtd int DEFAULT "
    "NULL,dtinsert int,PRIMARY KEY(Id),KEY `p1` (`steamid`),KEY `p2` (`vaultname`),KEY `p3` "
    "(`steamid`,`itemname`))";
constexpr const char* kDropEvent = "DROP EVENT IF EXISTS Vault_Decay";
constexpr const char* kCreateEvent =
    "CREATE event Vault_Decay ON SCHEDULE EVERY 5 MINUTE DO DELETE FROM u_vault WHERE  (((UNIX_TIMESTAMP() - "
    "(dtinsert)) - (60 * {})) * -1) < 0";
constexpr const char* kAddItem =
    "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, dtinsert) values({}, '{}', '{}', '{}', {})";
constexpr const char* kAddResource =
    "INSERT INTO u_vault (steamid, vaultname, itemname, blueprint, qtd, dtinsert) values ({}, '{}', '{}', "
    "\"{}\", {}, {})";
// A batch names every column either kind of row fills; a row gives DEFAULT for the columns its
// kind leaves out, so it is stored exactly as the single-row add of its kind stores it.
constexpr const char* kAddRowsHead =
    "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) values ";
constexpr const char* kItemValues = "({}, '{}', '{}', '{}', DEFAULT, DEFAULT, {})";
constexpr const char* kResourceValues = "({}, '{}', '{}', DEFAULT, \"{}\", {}, {})";
// Room left in every statement below the packet limit for the packet header and rounding.
constexpr std::size_t kPacketMargin = 1024;
constexpr const char* kGetItems =
    "SELECT id, itemdata, blueprint, qtd FROM u_vault WHERE steamid = {} and vaultname = '{}' LIMIT {}";
constexpr const char* kDeleteItem = "DELETE FROM u_vault where id = {}";
constexpr const char* kListVault =
    "SELECT    vaultname,    count(*) as total,    if ((((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1) < "
    "0, '00:00:00', (SEC_TO_TIME(((UNIX_TIMESTAMP() - min(dtinsert)) - (60 * {})) * -1))) as falta FROM u_vault "
    "WHERE steamid = {} GROUP BY vaultname ";

template <typename... Args>
void Log(spdlog::level::level_enum level, fmt::format_string<Args...> format, Args&&... args) {
    if (auto& log = Lockbury::GetLog()) log->log(level, format, std::forward<Args>(args)...);
}

void LogUnexpected(const char* function, const std::exception& error) {
    Log(spdlog::level::err, "({} {}) Unexpected DB error {}", kSource, function, error.what());
}

}  // namespace

MySql::MySql(std::string host, std::string user, std::string password, std::string database, std::int32_t port) {
    constexpr const char* function = "MySql::MySql";
    try {
        ledra::mysql::connection_options options;
        options.host = std::move(host);
        options.user = std::move(user);
        options.password = std::move(password);
        options.database = std::move(database);
        options.port = static_cast<std::uint32_t>(port);
        options.connect_timeout = 30;
        options.reconnect = false;

        if (!db_.open(options)) Log(spdlog::level::critical, "Failed to open connection! Check user/pass and port");

        // The connection is made once here; set-up statements do not try to open it again.
        if (!Run(fmt::format(fmt::runtime(kCreateTable), kTable)).succeeded())
            Log(spdlog::level::critical, "({} {}) Failed to create u_vault table !", kSource, function);
        if (!Run(kDropEvent).succeeded())
            Log(spdlog::level::critical, "({} {}) Failed to drop event Vault_Decay!", kSource, function);
        const int decay = Lockbury::ConfigInt("decay");
        if (!Run(fmt::format(fmt::runtime(kCreateEvent), decay)).succeeded())
            Log(spdlog::level::critical, "({} {}) Failed to create event Vault_Decay!", kSource, function);
    } catch (const std::exception& error) {
        LogUnexpected(function, error);
    }
}

ledra::mysql::results MySql::Run(const std::string& sql) {
    namespace errors = ledra::mysql::errors;
    auto result = db_.query(sql);
    if (result.succeeded() || !errors::is_connection_lost(db_.last_error())) return result;

    const bool neverSent = db_.last_error() == errors::server_gone;
    CloseConnection();
    if (!neverSent || !db_.reopen()) return result;  // a closed handle is reopened before the next statement
    result = db_.query(sql);
    if (!result.succeeded() && errors::is_connection_lost(db_.last_error())) CloseConnection();
    return result;
}

ledra::mysql::results MySql::RunInTransaction(const std::string& sql) {
    auto result = db_.query(sql);
    if (!result.succeeded() && ledra::mysql::errors::is_connection_lost(db_.last_error())) CloseConnection();
    return result;
}

void MySql::Rollback() {
    if (!db_.is_open()) return;  // the server rolled back when the connection went
    // A connection that cannot roll back is dropped, so no later statement lands in the transaction.
    if (!RunInTransaction("ROLLBACK").succeeded()) CloseConnection();
}

std::size_t MySql::PacketLimit() {
    if (packetLimit_ == 0) {
        auto rows = RunInTransaction("SELECT @@max_allowed_packet");
        std::string value;
        if (!rows.at_end() && rows.get(0, value)) packetLimit_ = static_cast<std::size_t>(std::stoull(value));
    }
    return packetLimit_;
}

void MySql::CloseConnection() {
    db_.close();
    packetLimit_ = 0;  // a new connection may have another limit
}

void MySql::OpenIfClosed() {
    if (!db_.is_open()) {
        packetLimit_ = 0;
        db_.reopen();
    }
}

namespace {

// The bytes any escaping touches, in every character set and SQL mode: NUL, line feed, carriage
// return, Ctrl-Z, both quotes, backslash, and every byte of a multi-byte character.
constexpr std::array<unsigned char, 256> MakeSpecialBytes() {
    std::array<unsigned char, 256> table{};
    for (int c = 0x80; c < 256; ++c) table[c] = 1;
    for (const unsigned char c : {0x00, 0x0a, 0x0d, 0x1a, 0x22, 0x27, 0x5c}) table[c] = 1;
    return table;
}
constexpr auto kSpecialBytes = MakeSpecialBytes();

// True when escaping cannot change the text. Item texts are hex digits, so a save escapes
// nothing and skips the client library's byte-by-byte pass over megabytes of them.
bool NeedsNoEscaping(const std::string& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(value.data());
    const std::size_t n = value.size();
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        if (kSpecialBytes[p[i]] | kSpecialBytes[p[i + 1]] | kSpecialBytes[p[i + 2]] | kSpecialBytes[p[i + 3]] |
            kSpecialBytes[p[i + 4]] | kSpecialBytes[p[i + 5]] | kSpecialBytes[p[i + 6]] | kSpecialBytes[p[i + 7]])
            return false;
    }
    for (; i < n; ++i)
        if (kSpecialBytes[p[i]]) return false;
    return true;
}

}  // namespace

std::string MySql::Text(const std::string& value, char quote) {
    if (NeedsNoEscaping(value)) return value;
    // escape() would try to open a closed connection again; one attempt per operation is enough.
    return db_.is_open() ? db_.escape(value, quote) : ledra::mysql::escape_by_hand(value);
}

bool MySql::AddVaultItem(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                         const std::string& itemdata) {
    try {
        const std::int64_t now = ArkApi::Tools::GetTime();
        OpenIfClosed();
        const auto sql = fmt::format(fmt::runtime(kAddItem), steamid, Text(vaultname.ToString()),
                                     Text(itemname.ToString()), Text(itemdata), now);
        return Run(sql).succeeded();
    } catch (const std::exception& error) {
        LogUnexpected("MySql::AddVaultItem", error);
        return false;
    }
}

bool MySql::AddVaultResource(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                             const FString& blueprint, std::int32_t qtd) {
    try {
        const std::int64_t now = ArkApi::Tools::GetTime();
        OpenIfClosed();
        const auto sql = fmt::format(fmt::runtime(kAddResource), steamid, Text(vaultname.ToString()),
                                     Text(itemname.ToString()), Text(blueprint.ToString(), '"'), qtd, now);
        return Run(sql).succeeded();
    } catch (const std::exception& error) {
        LogUnexpected("MySql::AddVaultResource", error);
        return false;
    }
}

bool MySql::AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) {
    if (rows.empty()) return true;
    bool inTransaction = false;
    try {
        const std::int64_t now = ArkApi::Tools::GetTime();
        OpenIfClosed();
        const std::string vault = Text(vaultname.ToString());
        std::vector<std::string> values;
        values.reserve(rows.size());
        for (const VaultRow& row : rows) {
            if (row.kind == VaultRow::Kind::Item) {
                values.push_back(fmt::format(fmt::runtime(kItemValues), steamid, vault, Text(row.itemname.ToString()),
                                             Text(row.itemdata), now));
            } else {
                values.push_back(fmt::format(fmt::runtime(kResourceValues), steamid, vault,
                                             Text(row.itemname.ToString()), Text(row.blueprint.ToString(), '"'),
                                             row.qtd, now));
            }
        }

        // Nothing is written yet, so this one may heal a lost connection like any statement.
        if (!Run("START TRANSACTION").succeeded()) return false;
        inTransaction = true;
        const std::size_t limit = PacketLimit();
        if (limit <= kPacketMargin) {
            Rollback();
            return false;
        }
        const std::size_t room = limit - kPacketMargin;
        const std::string head = kAddRowsHead;
        std::string sql;
        // A row too large for any statement still goes alone; the server refuses it and the
        // whole save is rolled back, as a single-row add of it would fail.
        for (const std::string& value : values) {
            if (!sql.empty() && sql.size() + 1 + value.size() > room) {
                if (!RunInTransaction(sql).succeeded()) {
                    Rollback();
                    return false;
                }
                sql.clear();
            }
            if (sql.empty()) {
                sql.reserve(std::min(room, head.size() + value.size() * (values.size())));
                sql = head;
            } else {
                sql += ',';
            }
            sql += value;
        }
        if (!RunInTransaction(sql).succeeded() || !RunInTransaction("COMMIT").succeeded()) {
            Rollback();
            return false;
        }
        return true;
    } catch (const std::exception& error) {
        LogUnexpected("MySql::AddVaultRows", error);
        if (inTransaction) {
            try {
                Rollback();
            } catch (const std::exception&) {
                CloseConnection();
            }
        }
        return false;
    }
}

TArray<std::shared_ptr<VaultItem>> MySql::GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                        std::int32_t limit) {
    TArray<std::shared_ptr<VaultItem>> items;
    try {
        const std::int64_t start = ArkApi::Tools::GetTime();
        OpenIfClosed();
        auto rows = Run(fmt::format(fmt::runtime(kGetItems), steamid, Text(vaultname.ToString()), limit));
        std::int32_t id = 0, qtd = 0;
        std::string itemdata, blueprint;
        while (!rows.at_end()) {
            rows.get(0, id);
            rows.get(1, itemdata);
            rows.get(2, blueprint);
            rows.get(3, qtd);
            items.Add(std::make_shared<VaultItem>(VaultItem{id, std::move(itemdata), std::move(blueprint), qtd}));
            id = 0;
            qtd = 0;
            itemdata.clear();
            blueprint.clear();
            rows.next();
        }
        Log(spdlog::level::info, "Took {} seconds to load from mysql", ArkApi::Tools::GetTime() - start);
    } catch (const std::exception& error) {
        LogUnexpected("MySql::GetVaultItems", error);
    }
    return items;
}

bool MySql::DeleteVaultItem(std::int32_t id) {
    try {
        OpenIfClosed();
        return Run(fmt::format(fmt::runtime(kDeleteItem), id)).succeeded();
    } catch (const std::exception& error) {
        LogUnexpected("MySql::DeleteVaultItem", error);
        return false;
    }
}

TArray<std::shared_ptr<VaultList>> MySql::ListVault(std::uint64_t steamid) {
    TArray<std::shared_ptr<VaultList>> vaults;
    try {
        const int decay = Lockbury::ConfigInt("decay");
        OpenIfClosed();
        auto rows = Run(fmt::format(fmt::runtime(kListVault), decay, decay, steamid));
        while (!rows.at_end()) {
            auto vault = std::make_shared<VaultList>();
            rows.get(0, vault->vaultname);
            rows.get(1, vault->total);
            rows.get(2, vault->falta);
            vaults.Add(std::move(vault));
            rows.next();
        }
    } catch (const std::exception& error) {
        LogUnexpected("MySql::ListVault", error);
    }
    return vaults;
}
