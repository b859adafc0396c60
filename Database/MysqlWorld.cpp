// The store's side of crash safety: what the world saves tell the journal, and the recovery at
// start that undoes the moves the restored world does not hold. Every step is a transaction of
// its own, and running a step again after a failure does what it would have done the first time.

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "Database/MoveKinds.h"
#include "Database/MysqlDB.h"
#include "Database/StoreLog.h"
#include "Database/Text/Format.h"

namespace {

constexpr const char* kSource = "Database/MysqlWorld";

using StoreLog::GetInt64;
using StoreLog::Line;
using StoreLog::LogUnexpected;

// A world save time in microseconds, as seconds.
std::string Seconds(std::int64_t micros) { return Formatting::Format("{}.{:06}", micros / 1000000, micros % 1000000); }

struct WorldRecord {
    std::int64_t savedAt = 0;
    std::int64_t covered = 0;
    std::optional<std::int64_t> pending;
};

const std::vector<std::int32_t> kNoRows;

}  // namespace

bool MySql::WorldSaveStarting(std::int64_t worldNow) {
    constexpr const char* function = "MySql::WorldSaveStarting";
    if (!settings_.journal) return true;
    try {
        // Writing the same mark twice changes nothing.
        // The save covers what the world holds now, whatever the database answers.
        startedHigh_ = journalHigh_;
        if (Connected() && Run(journal_.Pending(worldNow, startedHigh_), Resend::OnAnyLoss).succeeded()) return true;
        LogFailure(kSource, function);
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
    }
    return false;
}

bool MySql::WorldSaved(std::int64_t savedAt) {
    constexpr const char* function = "MySql::WorldSaved";
    if (!settings_.journal) return true;
    try {
        if (!Connected()) {
            LogFailure(kSource, function);
            return false;
        }
        const std::string subject = Formatting::Format("the world save at {}", Seconds(savedAt));
        const std::int64_t covered = startedHigh_;
        std::vector<std::string> statements{journal_.Covered(savedAt, covered)};
        for (std::string& drop : journal_.DropCovered(covered)) statements.push_back(std::move(drop));
        const bool recorded = InTransaction({kSource, function, "Recording", "written", kNoRows, subject.c_str(),
                                             "the moves stay journaled until a later world save is recorded"},
                                            statements, journal_.World(), [savedAt](ledra::mysql::results& record) {
                                                std::int64_t at = 0;
                                                if (record.at_end() || !GetInt64(record, 0, at))
                                                    return Settlement::RolledBack;
                                                return at == savedAt ? Settlement::Committed : Settlement::RolledBack;
                                            });
        if (recorded) coveredHigh_ = std::max(coveredHigh_, covered);
        return recorded;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        return false;
    }
}

std::optional<std::vector<std::string>> MySql::PutBackLoaded(std::int64_t journalId) {
    // Newer saves undone already: their unwinds that claim items this load made.
    auto claims = Run(journal_.ClaimedByUnwinds(journalId), Resend::OnAnyLoss);
    if (!claims.succeeded()) return std::nullopt;
    JournalStatements::Claimed claimed;
    std::vector<std::pair<std::int64_t, std::int32_t>> unwindRows;
    std::vector<std::int64_t> unwinds;
    for (; !claims.at_end(); claims.next()) {
        std::int32_t loadRow = 0, unwindRow = 0;
        std::int64_t unwind = 0, quantity = 0;
        claims.get(0, loadRow);
        GetInt64(claims, 1, unwind);
        claims.get(2, unwindRow);
        GetInt64(claims, 3, quantity);
        claimed[loadRow] += quantity;
        unwindRows.emplace_back(unwind, unwindRow);
        if (std::find(unwinds.begin(), unwinds.end(), unwind) == unwinds.end()) unwinds.push_back(unwind);
    }
    std::vector<std::string> statements{JournalStatements::RestoreQuantities(journalId, claimed),
                                        JournalStatements::RestoreRows(journalId, claimed)};
    if (!unwindRows.empty()) {
        statements.push_back(JournalStatements::DropUnwindRows(unwindRows));
        statements.push_back(JournalStatements::DropEmptyUnwinds(unwinds));
    }
    for (std::string& drop : JournalStatements::DropEntry(journalId)) statements.push_back(std::move(drop));
    return statements;
}

bool MySql::UndoMove(std::int64_t journalId, const std::string& kind, std::int64_t watermark) {
    constexpr const char* function = "MySql::RecoverJournal";
    const MoveKindEntry* known = MoveKinds::Find(kind);
    std::optional<std::vector<std::string>> statements;
    switch (known ? known->undo : JournalUndo::Kept) {
        case JournalUndo::TakeBackSaved:
            statements = std::vector<std::string>{journal_.TakeBackLoadedItems(journalId, watermark),
                                                  JournalStatements::KeepAsUnwind(journalId),
                                                  JournalStatements::DropSave(journalId)};
            break;
        case JournalUndo::PutBackLoaded: statements = PutBackLoaded(journalId); break;
        case JournalUndo::Kept:
            // Only the kinds a recovery undoes are read, so this is a newer server's kind.
            lastError_ =
                Formatting::Format("journal entry {} is of a kind this version cannot undo: '{}'", journalId, kind);
            break;
    }
    if (!statements) {
        LogFailure(kSource, function);
        return false;
    }
    // Undone exactly when the entry is gone or became an unwind.
    const std::string subject = Formatting::Format("journal entry {}", journalId);
    return InTransaction({kSource, function, "Undoing", "done", kNoRows, subject.c_str(), "the recovery runs again later"},
                         *statements, JournalStatements::EntryKind(journalId), [](ledra::mysql::results& entry) {
                             std::string left;
                             if (entry.at_end()) return Settlement::Committed;
                             if (!entry.get(0, left)) return Settlement::Unknown;
                             return left == "unwind" ? Settlement::Committed : Settlement::RolledBack;
                         });
}

bool MySql::ReadUnwinds(JournalRecovery& recovery) {
    auto rows = Run(journal_.Unwinds(), Resend::OnAnyLoss);
    if (!rows.succeeded()) return false;
    for (; !rows.at_end(); rows.next()) {
        std::int64_t id = 0;
        std::string steamId, id1, id2;
        UnwindItem item;
        GetInt64(rows, 0, id);
        rows.get(1, steamId);
        rows.get(2, item.rowId);
        rows.get(3, id1);
        rows.get(4, id2);
        if (recovery.unwinds.empty() || recovery.unwinds.back().journalId != id) {
            recovery.unwinds.emplace_back();
            recovery.unwinds.back().journalId = id;
            recovery.unwinds.back().steamId = std::stoull(steamId);
        }
        item.itemId1 = static_cast<std::uint32_t>(std::stoul(id1.empty() ? "0" : id1));
        item.itemId2 = static_cast<std::uint32_t>(std::stoul(id2.empty() ? "0" : id2));
        recovery.unwinds.back().items.push_back(item);
    }
    return true;
}

std::optional<std::vector<std::int32_t>> MySql::SettleUnwind(std::int64_t journalId,
                                                             const std::vector<std::int32_t>& heldRows) {
    return RetriedAfterDeadlock([&] { return SettleUnwindOnce(journalId, heldRows); });
}

std::optional<std::vector<std::int32_t>> MySql::SettleUnwindOnce(std::int64_t journalId,
                                                                 const std::vector<std::int32_t>& heldRows) {
    constexpr const char* function = "MySql::SettleUnwind";
    std::vector<std::int32_t> leaving;
    try {
        Transaction transaction(*this);
        if (!Connected() || !transaction.Begin(Resend::OnAnyLoss)) {
            LogFailure(kSource, function);
            return std::nullopt;
        }
        bool done = true;
        if (!heldRows.empty()) {
            auto left = Run(JournalStatements::KeepHeldItems(journalId, heldRows), Resend::Never).succeeded()
                            ? Run(JournalStatements::RowsLeft(journalId, heldRows), Resend::Never)
                            : ledra::mysql::results{};
            done = left.succeeded();
            for (; done && !left.at_end(); left.next()) {
                std::int32_t row = 0;
                left.get(0, row);
                leaving.push_back(row);
            }
        }
        auto applied = done ? Run(JournalStatements::ApplyUnwind(journalId), Resend::Never) : ledra::mysql::results{};
        done = applied.succeeded() && applied.affected_rows() == 1;
        if (applied.succeeded() && !done)
            lastError_ = Formatting::Format("journal entry {} is no unwind to apply", journalId);
        const auto appliedId = static_cast<std::int64_t>(applied.insert_id());
        done = done && Run(JournalStatements::MoveRows(journalId, appliedId), Resend::Never).succeeded() &&
               Run(JournalStatements::DropEntryOnly(journalId), Resend::Never).succeeded();
        if (!done) {
            LogFailure(kSource, function);
            return std::nullopt;
        }
        journalHigh_ = std::max(journalHigh_, appliedId);
        // Settled exactly when the unwind's entry is gone: it is applied under its new id.
        const std::string subject = Formatting::Format("journal entry {}", journalId);
        const Settlement settled = transaction.Commit(
            {kSource, function, "Applying", "done", kNoRows, subject.c_str(), "it is applied again at the next join"},
            JournalStatements::EntryKind(journalId),
            [](ledra::mysql::results& rows) { return rows.at_end() ? Settlement::Committed : Settlement::RolledBack; });
        if (settled != Settlement::Committed) return std::nullopt;
        return leaving;
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        return std::nullopt;
    }
}

JournalRecovery MySql::RecoverJournal(const RestoredWorld& world) {
    constexpr const char* function = "MySql::RecoverJournal";
    JournalRecovery recovery;
    if (!settings_.journal) {
        recovery.done = true;
        return recovery;
    }
    try {
        if (!Connected()) {
            LogFailure(kSource, function);
            return recovery;
        }
        auto read = Run(journal_.World(), Resend::OnAnyLoss);
        if (!read.succeeded()) {
            LogFailure(kSource, function);
            return recovery;
        }
        std::optional<WorldRecord> record;
        if (!read.at_end()) {
            record.emplace();
            GetInt64(read, 0, record->savedAt);
            GetInt64(read, 1, record->covered);
            std::int64_t pending = 0;
            if (GetInt64(read, 2, pending)) record->pending = pending;
        }
        // The entries at or below the watermark are in the world; the others are undone.
        std::int64_t watermark = 0;
        if (!record) {
            watermark = 0;  // no world save of this server was ever recorded: the world holds no move
        } else if (!world.restoredKnown) {
            // Undoing a save is settled at the player's join against what the character holds, so
            // it is right either way; undoing a load the world already holds gives it twice, and
            // not undoing one it lacks loses it. So every move still journaled is undone.
            watermark = record->covered;
            Line(settings_.log, spdlog::level::warn,
                 "({} {}) Crash safety: the game did not say when the world it started with was saved "
                 "(LastSaveWorldTime is not restored), so it may be older than this server's last save (at {}): every "
                 "move after journal entry {} is undone; a load the world already held may be given twice, nothing "
                 "is lost",
                 kSource, function, Seconds(record->savedAt), watermark);
        } else if (world.restoredAt == record->savedAt) {
            watermark = record->covered;  // any crash fell before the next save's file was in place
        } else if (record->pending && world.restoredAt > record->savedAt) {
            watermark = *record->pending;  // the save's file landed; its clean-up did not run
        } else {
            watermark = record->covered;
            Line(settings_.log, spdlog::level::err,
                 "({} {}) The world restored (saved at {}) is not the last one this server saved (at {}): moves after "
                 "journal entry {} are undone; moves before it were dropped from the journal by that save and cannot "
                 "be",
                 kSource, function, Seconds(world.restoredAt), Seconds(record->savedAt), watermark);
        }

        auto moves = Run(journal_.MovesAbove(watermark), Resend::OnAnyLoss);
        if (!moves.succeeded()) {
            LogFailure(kSource, function);
            return recovery;
        }
        std::vector<std::pair<std::int64_t, std::string>> entries;
        for (; !moves.at_end(); moves.next()) {
            std::int64_t id = 0;
            std::string kind;
            GetInt64(moves, 0, id);
            moves.get(1, kind);
            entries.emplace_back(id, std::move(kind));
        }
        // Newest first, so a row saved and then loaded again is first put back, then taken.
        int saves = 0, loads = 0;
        for (const auto& [id, kind] : entries) {
            if (!UndoMove(id, kind, watermark)) return recovery;
            ++(MoveKinds::Find(kind)->undo == JournalUndo::TakeBackSaved ? saves : loads);
        }
        const std::int64_t savedAt = world.savedAt;
        std::vector<std::string> statements = journal_.DropCovered(watermark);
        statements.push_back(journal_.ReopenApplied(watermark));
        statements.push_back(journal_.Covered(savedAt, watermark));
        const bool recorded = InTransaction(
            {kSource, function, "Recording", "written", kNoRows, "the restored world", "the recovery runs again later"},
            statements, journal_.World(), [savedAt, watermark](ledra::mysql::results& row) {
                std::int64_t at = 0, covered = 0;
                if (row.at_end() || !GetInt64(row, 0, at) || !GetInt64(row, 1, covered)) return Settlement::RolledBack;
                return at == savedAt && covered == watermark ? Settlement::Committed : Settlement::RolledBack;
            });
        if (!recorded) return recovery;
        if (!ReadUnwinds(recovery)) {
            LogFailure(kSource, function);
            recovery.unwinds.clear();
            return recovery;
        }
        journalHigh_ = startedHigh_ = coveredHigh_ = watermark;
        recovery.done = true;
        std::size_t items = 0;
        for (const Unwind& unwind : recovery.unwinds) items += unwind.items.size();
        Line(settings_.log, spdlog::level::info,
             "Crash safety: the world (saved at {}) holds this server's moves up to journal entry {}; {} saves and {} "
             "loads after it undone; {} saved items to settle with restored characters at their next join",
             Seconds(world.restoredAt), watermark, saves, loads, items);
    } catch (const std::exception& error) {
        LogUnexpected(settings_.log, kSource, function, error);
        recovery = JournalRecovery{};
    }
    return recovery;
}
