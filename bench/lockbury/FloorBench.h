#pragma once
// The floor: what the statements of a save and a load cost with nothing around them.
#include <cstddef>
#include <cstdint>

#include "bench/lockbury/RawDatabase.h"

namespace Bench {

struct Floor {
    double singleInserts = 0;  // ms for every row, one autocommitted INSERT each
    double select = 0;  // ms for the SELECT of min(rows, 299) rows, read out
    double deletes = 0;  // ms for a DELETE by id of each selected row
    double batchInsert = 0;  // ms for every row in one multi-row INSERT inside a transaction
};

// Medians over `runs`. Rows carry the hex text of `itemBytes` random bytes.
Floor MeasureFloor(RawDatabase& db, int rows, std::size_t itemBytes, int runs);

}  // namespace Bench
