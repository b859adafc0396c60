#pragma once
// What the move log adds to a save and a load: its statements, counted through a relay, and the
// time they take on the game thread, replayed inside a transaction that is rolled back (the
// record is written in the move's own transaction, so nothing else of the move changes).
#include <cstddef>
#include <string>
#include <vector>

#include "bench/lockbury/RawDatabase.h"

namespace Bench {

struct MoveLogCost {
    double save = 0, load = 0;  // ms, medians: the move itself
    double saveRecord = 0, loadRecord = 0;  // ms, medians: its record's statements
    std::vector<std::string> saveStatements, loadStatements;  // the record's
};

// `items` items of `itemBytes` bytes saved into a vault and loaded back, `runs` times. Throws when
// a command did not move every item, or a move wrote no record.
MoveLogCost MeasureMoveLog(const DbServer& server, const std::string& database, int items, std::size_t itemBytes, int runs);

}  // namespace Bench
