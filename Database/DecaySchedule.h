#pragma once
// The decay of vault rows, set up when the store loads: an index on dtinsert, and the event
// Vault_Decay that deletes due rows in short batches every 5 minutes. A load changes the event
// only when its definition differs, and never makes it run at once: every server start or reload
// of the cluster would otherwise start a decay run.
#include <spdlog/logger.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Database/Mysql/Connection.h"

class DecaySchedule {
public:
    // Rows one DELETE of a decay run takes at most: a mass expiry is many short transactions,
    // each holding its row locks for a few milliseconds, instead of one holding them for seconds.
    static constexpr int kBatchRows = 100;

    // The rows due: the same rows as the first version's
    // "(((UNIX_TIMESTAMP() - (dtinsert)) - (60 * D)) * -1) < 0" for every dtinsert, NULL included,
    // written so that the index on dtinsert finds them.
    static std::string DueCondition(int decayMinutes);
    // The event's body, BEGIN ... END: batches of plain DELETEs until none is due.
    static std::string EventBody(int decayMinutes);
    // The same run as one statement any client can send (the benchmark, the tests).
    static std::string RunNow(int decayMinutes);
    // The minutes an event body decays rows after: this version's body, or the first version's
    // single DELETE, both written with "(60 * D)"; nothing for a body of another shape.
    static std::optional<int> DecayOf(const std::string& eventBody);

    // At load, on the store's open connection: adds the index on dtinsert when the table has none
    // (rows kept), and makes the event when it is missing or differs; a new event first runs
    // one interval later. Failures are logged as the store's own set-up. decayMinutes may throw
    // (no decay configured): the event is dropped, as no decay time means no decay, and the
    // error goes on to the caller.
    static void Prepare(ledra::mysql::connection& db, const std::function<int()>& decayMinutes,
                        const std::shared_ptr<spdlog::logger>& log);
};
