// MySql::Transaction: a transaction on the store's connection that rolls back unless committed.
#include <exception>
#include <utility>

#include "Database/MysqlDB.h"
#include "Database/SessionStatements.h"
#include "Database/StoreLog.h"

MySql::Transaction::Transaction(Transaction&& other) noexcept
    : store_(other.store_), open_(std::exchange(other.open_, false)) {}

bool MySql::Transaction::Begin(Resend resend) {
    Rollback();  // never two at once on one connection
    open_ = store_->Run(SessionStatements::Begin(), resend).succeeded();
    return open_;
}

Settlement MySql::Transaction::Commit(const Move& move, const std::string& question, const Decide& decide) {
    const unsigned long session = store_->db_.session_id();
    const ServerIdentity sent = store_->identity_;
    if (store_->Run(SessionStatements::Commit(), Resend::Never).succeeded()) {
        open_ = false;
        return Settlement::Committed;
    }
    if (store_->db_.is_open()) {  // refused, not lost: the transaction is still open
        Rollback();
        if (!move.refusalExpected) store_->LogFailure(move.source, move.function);
        return Settlement::RolledBack;
    }
    open_ = false;  // the server has it, committed or not
    const std::string lost = store_->lastError_;
    const Settlement settled = store_->SettleLostCommit(move, question, decide, session, sent);
    if (settled == Settlement::Committed) {
        // A move that happened is no failure: the player is told nothing, and the log says only
        // that its answer was lost on the way.
        StoreLog::Line(store_->settings_.log, spdlog::level::warn,
                       "({} {}) {} of {}: the answer to its COMMIT was lost ({}); its own record shows it went through",
                       move.source, move.function, move.what, move.Named(), lost);
        return settled;
    }
    store_->lastError_ = lost;  // the failure the player met is the lost connection
    store_->LogFailure(move.source, move.function);
    return settled;
}

void MySql::Transaction::Rollback() noexcept {
    if (!open_) return;
    open_ = false;
    try {
        if (!store_->db_.is_open()) return;  // the server rolled back when the connection went
        const std::string reason = store_->lastError_;
        const unsigned code = store_->lastErrorCode_;
        if (!store_->Run(SessionStatements::Rollback(), Resend::Never).succeeded()) store_->CloseConnection();
        store_->lastError_ = reason;  // the failure worth telling is the one that made us roll back
        store_->lastErrorCode_ = code;
    } catch (const std::exception&) {
        store_->CloseConnection();
    }
}
