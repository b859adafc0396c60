#pragma once
// What the store's move and read operations answer: a failure is never an empty answer.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Host/TArray.h"

// The outcome of a write whose COMMIT was sent. Unknown: its answer was lost and the database
// could not be asked afterwards, so it may or may not have happened.
enum class Settlement { Committed, RolledBack, Unknown };

struct RowsWritten {
    Settlement settlement = Settlement::RolledBack;
    std::vector<std::int32_t> ids;  // of the stored rows, in the order they were given; when Committed
};

// Rows read, or a failure to read them (the database did not answer, or refused the statement).
template <typename Record>
struct VaultRead {
    bool failed = false;
    TArray<std::shared_ptr<Record>> records;
};

// What a load did with the rows it claimed.
struct ClaimOutcome {
    std::vector<std::int32_t> taken;  // given whole: delete
    std::vector<std::pair<std::int32_t, std::int32_t>> remainders;  // resource rows given in part: id, quantity left
};
