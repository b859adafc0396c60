#include "Database/MysqlDB.h"
#include "Database/Text/Format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>
#include <iterator>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "Database/DecaySchedule.h"
#include "Database/Mysql/ErrorCodes.h"
#include "Database/SessionStatements.h"
#include "Database/StoreLog.h"
#include "Database/VaultStatements.h"
#include "Host/ArkApi.h"

namespace {

constexpr const char* kSource = "Database/MysqlDB";

using StoreLog::IdList;
using StoreLog::Line;
using StoreLog::LogUnexpected;
// Room left in every statement below the packet limit for the packet header and rounding.
constexpr std::size_t kPacketMargin = 1024;
int Decay(const StoreSettings& settings) {
    if (!settings.decayMinutes) throw std::logic_error("the store was made without a decay time");
    return settings.decayMinutes();
}

// Reads the five columns of a vault row; a NULL column leaves its default.
std::shared_ptr<VaultItem> ReadItem(ledra::mysql::results& rows) {
    auto item = std::make_shared<VaultItem>();
    rows.get(0, item->id);
    rows.get(1, item->itemdata);
    rows.get(2, item->blueprint);
    rows.get(3, item->qtd);
    rows.get(4, item->itemname);
    return item;
}

}  // namespace

MySql::MySql(std::string host, std::string user, std::string password, std::string database, std::int32_t port,
             StoreSettings settings)
    : settings_(std::move(settings)),
      journal_(settings_.serverId, [this](const std::string& text) { return Text(text); }),
      log_(settings_.logServer, [this](const std::string& text) { return Text(text); }) {
    constexpr const char* function = "MySql::MySql";
    try {
        ledra::mysql::connection_options options;
        options.host = std::move(host);
        options.user = std::move(user);
        options.password = std::move(password);
        options.database = std::move(database);
        options.port = static_cast<std::uint32_t>(port);
        options.connect_timeout = 30;  // the first connect may wait for a server still starting
        options.read_timeout = settings_.queryTimeout;
        options.write_timeout = settings_.queryTimeout;
        options.reconnect = false;
        // Every connection, the first and each one made again, is marked as a Lockbury server's.
        options.init_command = log_.MarkSession();

        if (!db_.open(options)) {
            connectError_ = Formatting::Format("{} ({})", db_.last_error_text(), db_.last_error());
            nextConnect_ = std::chrono::steady_clock::now() + std::chrono::seconds(settings_.reconnectInterval);
            Line(settings_.log, spdlog::level::critical, StoreLog::kOpenFailed);
        } else if (!db_.query(SessionStatements::LimitLockWaits()).succeeded()) {
            Line(settings_.log, spdlog::level::critical, "({} {}) Failed to limit lock waits: {} ({})", kSource, function,
                 db_.last_error_text(), db_.last_error());
            CloseConnection();  // the first command connects again, or fails, rather than wait unbounded
        } else {
            ReadServerIdentity();
        }

        // The connection is made once here; set-up statements do not try to open it again.
        if (!db_.query(VaultStatements::Create()).succeeded())
            Line(settings_.log, spdlog::level::critical, "({} {}) Failed to create u_vault table !", kSource, function);
        if (settings_.journal) {
            for (const auto& table : JournalStatements::Tables()) {
                if (!db_.query(table.create).succeeded())
                    Line(settings_.log, spdlog::level::critical, "({} {}) Failed to create {} table !", kSource, function,
                         table.name);
            }
            WidenKindColumn("u_vault_journal", true);
        }
        PrepareMoveLog();
        const std::function<int()> decay = [this] { return Decay(settings_); };
        DecaySchedule::Prepare(db_, decay, settings_.log);
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
    }
}

MySql::~MySql() {
    if (claim_) claim_->Abandon();  // no statement at the end: the server rolls it back as the connection closes
}

bool MySql::Connected() {
    if (db_.is_open()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextConnect_) {
        const auto wait = std::chrono::duration_cast<std::chrono::seconds>(nextConnect_ - now).count() + 1;
        lastError_ = Formatting::Format("no new connection for {} s after a failed one: {}", wait, connectError_);
        return false;
    }
    packetLimit_ = 0;
    insertReturning_.reset();
    if (db_.reopen(settings_.reconnectTimeout) && db_.query(SessionStatements::LimitLockWaits()).succeeded()) {
        ReadServerIdentity();
        return true;
    }
    connectError_ = Formatting::Format("{} ({})", db_.last_error_text(), db_.last_error());
    CloseConnection();  // no statement of a game command waits on locks unbounded
    lastError_ = "cannot connect: " + connectError_;
    nextConnect_ = now + std::chrono::seconds(settings_.reconnectInterval);
    return false;
}

ledra::mysql::results MySql::Run(const std::string& sql, Resend resend) {
    namespace errors = ledra::mysql::errors;
    auto result = db_.query(sql);
    lastErrorCode_ = 0;
    if (result.succeeded()) return result;
    const unsigned code = db_.last_error();
    lastErrorCode_ = code;
    lastError_ = code ? Formatting::Format("{} ({})", db_.last_error_text(), code) : "not connected";
    if (!errors::is_connection_lost(code)) return result;

    CloseConnection();  // the server rolls back whatever was open on it
    if (resend != Resend::OnAnyLoss || !Connected()) return result;
    result = db_.query(sql);
    if (!result.succeeded()) {
        lastErrorCode_ = db_.last_error();
        lastError_ = Formatting::Format("{} ({})", db_.last_error_text(), db_.last_error());
        if (errors::is_connection_lost(db_.last_error())) CloseConnection();
    }
    return result;
}

std::string MySql::Move::Named() const {
    return ids.empty() ? std::string(subject) : Formatting::Format("{} {}", subject, IdList(ids));
}

Settlement MySql::SettleLostCommit(const Move& move, const std::string& question, const Decide& decide,
                                   unsigned long session, const ServerIdentity& sent) {
    if (Connected()) {
        // KILL names a session of one server: behind a proxy the new connection may have reached
        // another node, where that number is an unrelated session (or none).
        if (!sent.Known() || !(identity_ == sent)) {
            lastError_ = sent.Known() ? Formatting::Format(
                                            "the new connection reached another database server ({} {} {}) "
                                            "than the one that had the COMMIT ({} {} {}), so its session {} "
                                            "cannot be ended",
                                            identity_.hostname, identity_.serverId, identity_.nodeName, sent.hostname,
                                            sent.serverId, sent.nodeName, session)
                                      : Formatting::Format(
                                            "the database server that had the COMMIT is not known, so its "
                                            "session {} cannot be ended",
                                            session);
            Line(settings_.log, spdlog::level::warn, "({} {}) {}", move.source, move.function, lastError_);
        } else if (EndSession(session)) {
            // On a Galera node the read waits until the node has applied every COMMIT the
            // cluster certified before it (ReadServerIdentity): a COMMIT that went through is seen.
            auto rows = Run(question, Resend::OnAnyLoss);
            if (rows.succeeded()) {
                const Settlement settled = decide(rows);
                if (settled != Settlement::Unknown) return settled;
            }
        }
    }
    Line(settings_.log, spdlog::level::err, "({} {}) {} of {} may or may not be {}: the database cannot be asked ({}); {}",
         move.source, move.function, move.what, move.Named(), move.done, lastError_, move.then);
    return Settlement::Unknown;
}

bool MySql::InTransaction(const Move& move, const std::vector<std::string>& statements, const std::string& question,
                          const Decide& decide) {
    return RetriedAfterDeadlock([&] { return InTransactionOnce(move, statements, question, decide); });
}

bool MySql::TryAgainAfterDeadlock(int tries) const {
    if (lastErrorCode_ != ledra::mysql::errors::deadlock || tries >= kDeadlockTries) return false;
    Line(settings_.log, spdlog::level::info, "({} MySql::RetriedAfterDeadlock) The transaction runs again ({} of {})",
         kSource, tries + 1, kDeadlockTries);
    return true;
}

bool MySql::InTransactionOnce(const Move& move, const std::vector<std::string>& statements, const std::string& question,
                              const Decide& decide) {
    // Nothing is written before START TRANSACTION, so it may heal a lost connection like a read.
    Transaction transaction(*this);
    if (!transaction.Begin(Resend::OnAnyLoss)) {
        LogFailure(move.source, move.function);
        return false;
    }
    for (const std::string& sql : statements) {
        if (!Run(sql, Resend::Never).succeeded()) {
            LogFailure(move.source, move.function);
            return false;
        }
    }
    return transaction.Commit(move, question, decide) == Settlement::Committed;
}

bool MySql::EndSession(unsigned long session) {
    if (session == 0) return false;
    // Unknown thread (1094) just means it is gone already.
    if (!Run(SessionStatements::Kill(session), Resend::Never).succeeded() && !db_.is_open()) return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(settings_.reconnectTimeout);
    const std::string gone = SessionStatements::SessionCount(session);
    do {
        auto rows = Run(gone, Resend::OnAnyLoss);
        std::int32_t count = 1;
        if (!rows.succeeded()) return false;
        if (!rows.at_end() && rows.get(0, count) && count == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    lastError_ = Formatting::Format("the session {} that sent the COMMIT does not end", session);
    return false;
}

std::size_t MySql::PacketLimit() {
    if (packetLimit_ == 0) {
        auto rows = Run(SessionStatements::PacketLimit(), Resend::OnAnyLoss);
        std::string value;
        if (!rows.at_end() && rows.get(0, value)) packetLimit_ = static_cast<std::size_t>(std::stoull(value));
    }
    return packetLimit_;
}

bool MySql::InsertBatched(const std::string& head, const std::vector<std::string>& values, std::size_t room,
                          std::vector<std::int32_t>* ids) {
    // The server's own ids, never the first id plus a position: with auto_increment_increment
    // above 1 (Galera, hosted servers) or innodb_autoinc_lock_mode 2 they need not be consecutive.
    constexpr const char* kReturning = " RETURNING id";
    std::string sql;
    std::size_t inStatement = 0;
    auto send = [&] {
        if (ids) sql += kReturning;
        auto result = Run(sql, Resend::Never);
        if (!result.succeeded()) return false;
        if (ids) {
            std::size_t given = 0;
            for (; !result.at_end(); result.next(), ++given) {
                std::int32_t id = 0;
                if (!result.get(0, id)) return false;
                ids->push_back(id);
            }
            if (given != inStatement) {
                lastError_ = Formatting::Format("an INSERT of {} rows returned {} ids", inStatement, given);
                return false;
            }
        } else if (result.affected_rows() != inStatement) {
            return false;
        }
        sql.clear();
        inStatement = 0;
        return true;
    };
    const std::size_t tail = ids ? std::char_traits<char>::length(kReturning) : 0;
    // A value too large for any statement still goes alone; the server refuses it and the
    // caller rolls the whole transaction back.
    for (const std::string& value : values) {
        if (!sql.empty() && sql.size() + 1 + value.size() + tail > room && !send()) return false;
        if (sql.empty()) {
            sql.reserve(std::min(room, head.size() + value.size() * (values.size()) + tail));
            sql = head;
        } else {
            sql += ',';
        }
        sql += value;
        ++inStatement;
    }
    return inStatement == 0 || send();
}

bool MySql::InsertReturning() {
    if (!insertReturning_) {
        // "10.11.6-MariaDB-0+deb12u1"; older client libraries show MariaDB as "5.5.5-10.11.6-MariaDB".
        std::string version = db_.server_version();
        if (version.rfind("5.5.5-", 0) == 0) version.erase(0, 6);
        int major = 0, minor = 0;
        const bool mariadb = version.find("MariaDB") != std::string::npos;
        const char* end = version.data() + version.size();
        const auto [dot, majorError] = std::from_chars(version.data(), end, major);
        const bool parsed = majorError == std::errc() && dot != end && *dot == '.' &&
                            std::from_chars(dot + 1, end, minor).ec == std::errc();
        insertReturning_ = mariadb && parsed && (major > 10 || (major == 10 && minor >= 5));
    }
    return *insertReturning_;
}

bool MySql::VaultRowIds(std::uint64_t steamid, const std::string& vault, std::vector<std::int32_t>& ids) {
    auto rows = Run(VaultStatements::Ids(steamid, vault), Resend::Never);
    if (!rows.succeeded()) return false;
    for (; !rows.at_end(); rows.next()) {
        std::int32_t id = 0;
        rows.get(0, id);
        ids.push_back(id);
    }
    return true;
}

void MySql::ReadServerIdentity() {
    identity_ = {};
    auto rows = db_.query(SessionStatements::Identity());
    for (; rows.succeeded() && !rows.at_end(); rows.next()) {
        std::string name, value;
        rows.get(0, name);
        rows.get(1, value);
        if (name == "server_id") identity_.serverId = value;
        if (name == "hostname") identity_.hostname = value;
        if (name == "wsrep_node_name") identity_.nodeName = value;
        if (name == "wsrep_on") identity_.wsrep = value == "ON";
    }
    if (!identity_.wsrep) identity_.nodeName.clear();  // set on any server built with Galera, meaningful only on a node
    // A Galera node applies another node's COMMIT a moment after it was certified; until then a
    // plain read misses it, and a player who saved on one server would find no vault on another.
    // So every read of the store's session waits for the node to catch up (one round trip).
    if (identity_.wsrep) db_.query(SessionStatements::SyncReads());
}

Settlement MySql::DecideByRecord(ledra::mysql::results& found) {
    std::int32_t count = 0;
    if (found.at_end() || !found.get(0, count)) return Settlement::Unknown;
    return count > 0 ? Settlement::Committed : Settlement::RolledBack;
}

std::int64_t MySql::JournalSave(std::uint64_t steamid, const std::string& vault, const std::vector<VaultRow>& rows,
                                const std::vector<std::int32_t>& ids, std::size_t room) {
    if (ids.size() != rows.size()) {
        lastError_ = Formatting::Format("{} rows were written for the {} of the save", ids.size(), rows.size());
        return 0;
    }
    auto entry = Run(journal_.Entry("save", steamid, vault, std::time(nullptr)), Resend::Never);
    if (!entry.succeeded() || entry.insert_id() == 0) return 0;
    const auto journalId = static_cast<std::int64_t>(entry.insert_id());
    journalHigh_ = std::max(journalHigh_, journalId);
    std::vector<std::string> values;
    values.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size() && i < ids.size(); ++i)
        values.push_back(JournalStatements::SavedRow(journalId, ids[i], rows[i]));
    return InsertBatched(JournalStatements::SavedRowsHead(), values, room, nullptr) ? journalId : 0;
}

std::int64_t MySql::JournalLoad(const ClaimOutcome& outcome) {
    const std::size_t count = outcome.taken.size() + outcome.remainders.size();
    auto entry = Run(journal_.Entry("load", claimSteamId_, Text(claimVault_), std::time(nullptr)), Resend::Never);
    if (!entry.succeeded() || entry.insert_id() == 0) return 0;
    const auto journalId = static_cast<std::int64_t>(entry.insert_id());
    journalHigh_ = std::max(journalHigh_, journalId);
    // The claimed rows are locked by this transaction: every one of them is copied.
    auto copied = Run(JournalStatements::LoadedRows(journalId, outcome), Resend::Never);
    if (!copied.succeeded()) return 0;
    if (copied.affected_rows() != count) {
        lastError_ = Formatting::Format("the journal copied {} of the {} rows of the load", copied.affected_rows(), count);
        return 0;
    }
    std::vector<std::string> stacks;
    stacks.reserve(outcome.given.size());
    for (const GivenStack& stack : outcome.given) stacks.push_back(JournalStatements::GivenStackValue(journalId, stack));
    // The claim read the packet limit before its transaction.
    const std::size_t room = packetLimit_ > kPacketMargin ? packetLimit_ - kPacketMargin : 0;
    return InsertBatched(JournalStatements::GivenStacksHead(), stacks, room, nullptr) ? journalId : 0;
}

void MySql::CloseConnection() {
    db_.close();
    packetLimit_ = 0;  // a new connection may have another limit, or another server
    insertReturning_.reset();
}

void MySql::LogFailure(const char* source, const char* function) {
    Line(settings_.log, spdlog::level::err, "({} {}) The vault store failed: {}", source, function, lastError_);
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

std::string MySql::Text(const std::string& value) {
    if (NeedsNoEscaping(value)) return value;
    // escape() would try to open a closed connection again, past the pause after a failed one.
    return db_.is_open() ? db_.escape(value, '\'') : ledra::mysql::escape_by_hand(value);
}

RowsWritten MySql::AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) {
    constexpr const char* function = "MySql::AddVaultRows";
    RowsWritten written;
    if (rows.empty()) {
        written.settlement = Settlement::Committed;
        return written;
    }
    try {
        const std::int64_t now = std::time(nullptr);
        const std::size_t limit = Connected() ? PacketLimit() : 0;
        if (limit <= kPacketMargin) {
            LogFailure(kSource, function);
            return written;
        }
        const std::string vault = Text(vaultname.ToString());
        std::vector<std::string> values;
        values.reserve(rows.size());
        for (const VaultRow& row : rows) {
            if (row.kind == VaultRow::Kind::Item) {
                values.push_back(
                    VaultStatements::ItemValues(steamid, vault, Text(row.itemname.ToString()), Text(row.itemdata), now));
            } else {
                values.push_back(VaultStatements::ResourceValues(steamid, vault, Text(row.itemname.ToString()),
                                                                 Text(row.blueprint.ToString()), row.qtd, now));
            }
        }

        // Without RETURNING the save's ids are read back: its player's rows before and after its
        // INSERTs, in one REPEATABLE READ snapshot (the first read takes it), so rows other
        // sessions commit meanwhile stay out of both reads.
        const bool returning = InsertReturning();
        std::vector<std::int32_t> before;
        if (!returning && !Run(SessionStatements::RepeatableRead(), Resend::Never).succeeded()) {
            LogFailure(kSource, function);
            return written;
        }
        // Nothing is written yet, so this one may heal a lost connection like a read (unless the
        // isolation level just set for it would be lost with the connection).
        Transaction transaction(*this);
        if (!transaction.Begin(returning ? Resend::OnAnyLoss : Resend::Never)) {
            LogFailure(kSource, function);
            return written;
        }
        if (!returning && !VaultRowIds(steamid, vault, before)) {
            LogFailure(kSource, function);
            return written;
        }
        const std::size_t room = limit - kPacketMargin;
        std::vector<std::int32_t> ids;
        ids.reserve(rows.size());
        if (!InsertBatched(VaultStatements::AddRowsHead(), values, room, returning ? &ids : nullptr) ||
            (!returning && !NewRowIds(steamid, vault, before, rows.size(), ids))) {
            LogFailure(kSource, function);
            return written;
        }
        auto record = settings_.journal && JournalSave(steamid, vault, rows, ids, room) == 0
                          ? ledra::mysql::results{}
                          : Run(log_.SaveEntry(steamid, vault, rows.size(), now), Resend::Never);
        const std::uint64_t logId = record.succeeded() ? record.insert_id() : 0;
        if (logId == 0 || !Run(log_.SavedItems(rows), Resend::Never).succeeded()) {
            LogFailure(kSource, function);
            return written;
        }
        // Settled by the save's own move record, written in its transaction: the rows may be
        // loaded by another server before the question, the record stays.
        written.settlement = transaction.Commit({kSource, function, "Save", "stored", ids},
                                                MoveLogStatements::RecordExists(logId), DecideByRecord);
        if (written.settlement == Settlement::Committed) written.ids = std::move(ids);
        return written;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        return RowsWritten{};
    }
}

bool MySql::NewRowIds(std::uint64_t steamid, const std::string& vault, const std::vector<std::int32_t>& before,
                      std::size_t count, std::vector<std::int32_t>& ids) {
    std::vector<std::int32_t> after;
    if (!VaultRowIds(steamid, vault, after)) return false;
    // Ascending ids are the rows in insert order: one server hands its ids out rising.
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(ids));
    if (ids.size() == count) return true;
    lastError_ = Formatting::Format("{} rows were written, {} found again", count, ids.size());
    return false;
}

bool MySql::DeleteVaultRows(const std::vector<std::int32_t>& ids) {
    constexpr const char* function = "MySql::DeleteVaultRows";
    if (ids.empty()) return true;
    try {
        if (!Connected()) {
            LogFailure(kSource, function);
            return false;
        }
        const Move move{kSource, function, "Deletion", "done", ids};
        Transaction transaction(*this);
        if (!transaction.Begin(Resend::OnAnyLoss)) {
            LogFailure(kSource, function);
            return false;
        }
        // The record names the rows' own player and vault, so it is read from the rows before
        // they go; with none of them left there is no record.
        auto record = Run(log_.ReturnedEntry(ids, std::time(nullptr)), Resend::Never);
        const std::uint64_t logId = record.succeeded() && record.affected_rows() > 0 ? record.insert_id() : 0;
        std::vector<std::string> statements{MoveLogStatements::ReturnedItems(ids), VaultStatements::DeleteRows(ids)};
        // The rows' journal entries go with them: a save undone at a restart must not take these
        // items from the character, which kept them.
        if (settings_.journal) statements.push_back(journal_.ForgetSavedRows(ids));
        bool written = record.succeeded();
        for (const std::string& sql : statements) written = written && Run(sql, Resend::Never).succeeded();
        if (!written) {
            LogFailure(kSource, function);
            return false;
        }
        if (logId != 0)
            return transaction.Commit(move, MoveLogStatements::RecordExists(logId), DecideByRecord) ==
                   Settlement::Committed;
        return transaction.Commit(move, VaultStatements::RowsStill(ids), [](ledra::mysql::results& left) {
            return left.at_end() ? Settlement::Committed : Settlement::RolledBack;
        }) == Settlement::Committed;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
    }
    return false;
}

VaultRead<VaultItem> MySql::ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) {
    constexpr const char* function = "MySql::ClaimVaultItems";
    VaultRead<VaultItem> claimed;
    claimed.failed = true;
    ReleaseClaim();  // a claim left open by a caller's fault gives nothing
    try {
        const std::int64_t start = std::time(nullptr);
        // The journal's statements of the load are split below the packet limit, which cannot be
        // read inside the transaction (a lost answer there would be sent again outside it).
        if (settings_.journal && Connected()) PacketLimit();
        Transaction transaction(*this);
        if (!Connected() || !transaction.Begin(Resend::OnAnyLoss)) {
            LogFailure(kSource, function);
            return claimed;
        }
        const std::string vault = Text(vaultname.ToString());
        auto candidates = Run(VaultStatements::ClaimCandidates(steamid, vault, limit), Resend::Never);
        std::vector<std::int32_t> ids;
        for (; candidates.succeeded() && !candidates.at_end(); candidates.next()) {
            std::int32_t id = 0;
            if (candidates.get(0, id)) ids.push_back(id);
        }
        auto rows = !candidates.succeeded() ? ledra::mysql::results{}
                    : ids.empty()           ? std::move(candidates)
                                            : Run(VaultStatements::Claim(ids, steamid, vault), Resend::Never);
        if (!rows.succeeded()) {
            LogFailure(kSource, function);
            return claimed;
        }
        claimRows_.clear();
        for (; !rows.at_end(); rows.next()) {
            claimed.records.Add(ReadItem(rows));
            const VaultItem& row = *claimed.records[claimed.records.Num() - 1];
            claimRows_[row.id] = {row.itemname, row.blueprint.empty() ? 1 : row.qtd};
        }
        claimed.failed = false;
        claimSteamId_ = steamid;
        claimVault_ = vaultname.ToString();
        Line(settings_.log, spdlog::level::info, "Took {} seconds to load from mysql", std::time(nullptr) - start);
        // A claim of nothing has nothing to settle: its transaction ends here.
        if (claimed.records.Num() > 0) claim_.emplace(std::move(transaction));
        return claimed;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        return VaultRead<VaultItem>{true, {}};
    }
}

Settlement MySql::SettleClaim(const ClaimOutcome& outcome) {
    constexpr const char* function = "MySql::SettleClaim";
    if (!claim_) return Settlement::RolledBack;
    Transaction transaction(std::move(*claim_));
    claim_.reset();
    try {
        // Journaled before the rows change: the server copies them whole.
        const bool moves = !outcome.taken.empty() || !outcome.remainders.empty();
        if (settings_.journal && moves && JournalLoad(outcome) == 0) {
            LogFailure(kSource, function);
            return Settlement::RolledBack;
        }
        // Recorded before the rows change: what each row gives is read from the row.
        std::uint64_t logId = 0;
        if (moves) {
            auto record = Run(log_.LoadEntry(outcome, claimSteamId_, Text(claimVault_), std::time(nullptr)), Resend::Never);
            logId = record.succeeded() ? record.insert_id() : 0;
            if (logId == 0 || !Run(log_.LoadedItems(outcome, claimRows_), Resend::Never).succeeded()) {
                LogFailure(kSource, function);
                return Settlement::RolledBack;
            }
        }
        if (!outcome.taken.empty() && !Run(VaultStatements::DeleteRows(outcome.taken), Resend::Never).succeeded()) {
            LogFailure(kSource, function);
            return Settlement::RolledBack;
        }
        if (!outcome.remainders.empty()) {
            if (!Run(VaultStatements::KeepRemainders(outcome.remainders), Resend::Never).succeeded()) {
                LogFailure(kSource, function);
                return Settlement::RolledBack;
            }
        }
        // The load went through exactly when its move record exists: the rows themselves may be
        // changed meanwhile by another server (a remainder loaded there), the record is only ever
        // this load's. A claim that moves nothing has no record and nothing to settle.
        std::vector<std::int32_t> all = outcome.taken;
        for (const auto& [id, left] : outcome.remainders) all.push_back(id);
        const Settlement settled =
            moves ? transaction.Commit({kSource, function, "Load", "settled", all}, MoveLogStatements::RecordExists(logId),
                                       DecideByRecord)
                  : transaction.Commit({kSource, function, "Load", "settled", all}, "SELECT 1", [](ledra::mysql::results&) {
                        return Settlement::Committed;  // it changed nothing either way
                    });
        return settled;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        return Settlement::RolledBack;
    }
}

void MySql::ReleaseClaim() { claim_.reset(); }

VaultRead<VaultList> MySql::ReadVaultList(std::uint64_t steamid) {
    VaultRead<VaultList> read;
    read.failed = true;
    try {
        const int decay = Decay(settings_);
        if (!Connected()) {
            LogFailure(kSource, "MySql::ReadVaultList");
            return read;
        }
        auto rows = Run(VaultStatements::List(decay, steamid), Resend::OnAnyLoss);
        if (!rows.succeeded()) {
            LogFailure(kSource, "MySql::ReadVaultList");
            return read;
        }
        read.failed = false;
        for (; !rows.at_end(); rows.next()) {
            auto vault = std::make_shared<VaultList>();
            rows.get(0, vault->vaultname);
            rows.get(1, vault->total);
            rows.get(2, vault->falta);
            read.records.Add(std::move(vault));
        }
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, "MySql::ReadVaultList", error);
    }
    return read;
}

bool MySql::ReadyToTry(const char* operation) {
    if (db_.is_open() || std::chrono::steady_clock::now() >= nextConnect_) return true;
    Connected();  // fails at once, and says why
    LogFailure(kSource, operation);
    return false;
}
