// The store's side of the move log: its tables, trigger and prune event at load, and the reads
// administrators make. The records themselves are written by each move, in its own transaction
// (Database/MysqlDB.cpp).

#include <chrono>
#include <exception>
#include <string>
#include <thread>
#include <utility>

#include "Database/MoveKinds.h"
#include "Database/MysqlDB.h"
#include "Database/SetupClaim.h"
#include "Database/StoreLog.h"
#include "Database/Text/Format.h"
#include "Database/VaultStatements.h"

namespace {

constexpr const char* kSource = "Database/MysqlMoveLog";

// How long a start waits for the trigger another server of the cluster claimed to make.
constexpr std::chrono::milliseconds kClaimWait{30000};

}  // namespace

using StoreLog::GetInt64;
using StoreLog::Line;
using StoreLog::LogUnexpected;

bool MySql::DefinitionDiffers(const std::string& read, const std::string& wanted) {
    auto rows = db_.query(read);
    std::string current;
    return !rows.succeeded() || rows.at_end() || !rows.get(0, current) || current != wanted;
}

bool MySql::RunAll(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements)
        if (!db_.query(sql).succeeded()) return false;
    return true;
}

void MySql::PrepareMoveLog() {
    constexpr const char* function = "MySql::PrepareMoveLog";
    if (!db_.is_open()) return;  // the failed connect said so; every move fails until it is made
    for (const std::string& create : {MoveLogStatements::CreateLog(), std::string(MoveLogStatements::CreateItems())}) {
        if (!db_.query(create).succeeded()) {
            Line(settings_.log, spdlog::level::critical,
                 "({} {}) Failed to create the move log's tables: {}; every move fails until they exist", kSource, function,
                 db_.last_error_text());
            return;
        }
    }
    WidenKindColumn("u_vault_log", false);
    // Every server of a cluster writes the same definitions from the same settings, so a load
    // replaces nothing unless a setting changed.
    // Without a decay time the store makes no decay event and says so; the trigger is left as it is.
    int decay = 0;
    try {
        decay = settings_.decayMinutes ? settings_.decayMinutes() : 0;
    } catch (const std::exception&) {
        decay = 0;
    }
    // A CREATE that fails because another server made the same object at the same moment (1359
    // trigger exists, 1537 event exists) is no error when the object is then as wanted.
    const auto replaced = [this](const std::string& read, const std::string& wanted, const std::vector<std::string>& create,
                                 std::string& reason) {
        if (!DefinitionDiffers(read, wanted) || RunAll(create)) return true;
        reason = db_.last_error_text();
        return !DefinitionDiffers(read, wanted);
    };
    std::string reason;
    const std::string body = decay > 0 ? MoveLogStatements::TriggerBody(decay) : std::string();
    const bool onCluster = decay > 0 && identity_.wsrep && DefinitionDiffers(MoveLogStatements::ReadTrigger(), body);
    const bool claimed = onCluster && ClaimMaking(MoveLogStatements::TriggerName(), body);
    if (onCluster && !claimed) {
        // Another server makes it now: waiting keeps this start from logging a false failure.
        if (!AwaitDefinition(MoveLogStatements::ReadTrigger(), body)) {
            Line(settings_.log, spdlog::level::critical,
                 "({} {}) Failed to create trigger {}: decays will not be in the move log (another server claimed "
                 "making it in {} and it is not as wanted after {} s)",
                 kSource, function, MoveLogStatements::TriggerName(), SetupClaim::kTable,
                 std::chrono::duration_cast<std::chrono::seconds>(kClaimWait).count());
        }
    } else if (decay > 0 &&
               !replaced(MoveLogStatements::ReadTrigger(), body, MoveLogStatements::CreateTrigger(decay), reason)) {
        Line(settings_.log, spdlog::level::critical,
             "({} {}) Failed to create trigger {}: decays will not be in the move log ({})", kSource, function,
             MoveLogStatements::TriggerName(), reason);
    }
    if (claimed) db_.query(SetupClaim::Release(MoveLogStatements::TriggerName()));
    if (settings_.logDays <= 0) {
        if (!db_.query(MoveLogStatements::DropPruneEvent()).succeeded())
            Line(settings_.log, spdlog::level::critical, "({} {}) Failed to drop event {}: {}", kSource, function,
                 MoveLogStatements::PruneEventName(), db_.last_error_text());
        return;
    }
    if (!replaced(MoveLogStatements::ReadPruneEvent(), MoveLogStatements::PruneBody(settings_.logDays),
                  MoveLogStatements::CreatePruneEvent(settings_.logDays), reason)) {
        Line(settings_.log, spdlog::level::critical, "({} {}) Failed to create event {}: the move log is not pruned ({})",
             kSource, function, MoveLogStatements::PruneEventName(), reason);
    }
}

void MySql::WidenKindColumn(const char* table, bool journaled) {
    constexpr const char* function = "MySql::WidenKindColumn";
    auto read = db_.query(MoveKinds::ReadColumnType(table));
    std::string type;
    if (!read.succeeded() || read.at_end() || !read.get(0, type)) return;  // no such table: its CREATE said so
    const std::vector<std::string> missing = MoveKinds::Missing(type, journaled);
    if (missing.empty()) return;
    // Values added at the end change no stored row: the server does it in place, without a copy.
    const std::string modify = MoveKinds::Widen(table, type, journaled);
    const bool widened =
        db_.query(modify + ", ALGORITHM=INSTANT").succeeded() || db_.query(modify + ", LOCK=NONE").succeeded();
    const std::string added = MoveKinds::QuotedList(missing);
    if (widened) {
        Line(settings_.log, spdlog::level::info, "({} {}) {}.kind gains {}, kinds of moves this version writes", kSource,
             function, table, added);
    } else {
        Line(settings_.log, spdlog::level::critical,
             "({} {}) Failed to give {}.kind the kinds {}: {}; moves of those kinds fail until it has them", kSource,
             function, table, added, db_.last_error_text());
    }
}

bool MySql::AwaitDefinition(const std::string& read, const std::string& wanted) {
    const SetupClaim::SyncedReads synced(db_);
    const auto until = std::chrono::steady_clock::now() + kClaimWait;
    while (DefinitionDiffers(read, wanted)) {
        if (!db_.is_open() || std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return true;
}

bool MySql::ClaimMaking(const std::string& object, const std::string& definition) {
    constexpr const char* function = "MySql::ClaimMaking";
    if (!db_.query(SetupClaim::CreateTable()).succeeded()) return false;
    const SetupClaim::SyncedReads synced(db_);
    Transaction transaction(*this);
    if (!transaction.Begin(Resend::Never)) return false;
    auto taken = Run(SetupClaim::Taken(object, Text(definition)), Resend::Never);
    std::string recent;
    if (!taken.succeeded() || (!taken.at_end() && taken.get(0, recent) && recent == "1")) return false;
    const std::string server = Text(settings_.logServer);
    if (!Run(SetupClaim::Write(object, Text(definition), server), Resend::Never).succeeded()) return false;
    // A COMMIT refused by certification (another node's claim of the same moment) loses.
    const std::string subject = Formatting::Format("the claim on {}", object);
    return transaction.Commit(
               {kSource, function, "Making", "claimed", {}, subject.c_str(), "another server makes it", true},
               SetupClaim::Mine(object, server), [](ledra::mysql::results& mine) {
                   std::string count;
                   if (mine.at_end() || !mine.get(0, count)) return Settlement::Unknown;
                   return count == "0" ? Settlement::RolledBack : Settlement::Committed;
               }) == Settlement::Committed;
}

VaultRead<StoredRow> MySql::ReadVaultRows(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) {
    constexpr const char* function = "MySql::ReadVaultRows";
    VaultRead<StoredRow> read;
    read.failed = true;
    try {
        if (!Connected()) {
            LogFailure(kSource, function);
            return read;
        }
        auto rows = Run(VaultStatements::ReadRows(steamid, Text(vaultname.ToString()), limit), Resend::OnAnyLoss);
        if (!rows.succeeded()) {
            LogFailure(kSource, function);
            return read;
        }
        read.failed = false;
        for (; !rows.at_end(); rows.next()) {
            auto row = std::make_shared<StoredRow>();
            rows.get(0, row->id);
            rows.get(1, row->itemname);
            rows.get(2, row->quantity);
            GetInt64(rows, 3, row->savedAt);
            read.records.Add(std::move(row));
        }
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
    }
    return read;
}

VaultRead<MoveRecord> MySql::ReadMoveLog(std::uint64_t steamid, std::int32_t limit) {
    constexpr const char* function = "MySql::ReadMoveLog";
    VaultRead<MoveRecord> read;
    read.failed = true;
    try {
        if (!Connected()) {
            LogFailure(kSource, function);
            return read;
        }
        auto rows = Run(MoveLogStatements::Read(steamid, limit), Resend::OnAnyLoss);
        if (!rows.succeeded()) {
            LogFailure(kSource, function);
            return read;
        }
        read.failed = false;
        for (; !rows.at_end(); rows.next()) {
            auto record = std::make_shared<MoveRecord>();
            GetInt64(rows, 0, record->id);
            GetInt64(rows, 1, record->at);
            rows.get(2, record->server);
            rows.get(3, record->vaultname);
            rows.get(4, record->kind);
            rows.get(5, record->rows);
            std::int64_t by = 0;
            GetInt64(rows, 6, by);
            record->by = static_cast<std::uint64_t>(by);
            rows.get(7, record->summary);
            read.records.Add(std::move(record));
        }
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
    }
    return read;
}
