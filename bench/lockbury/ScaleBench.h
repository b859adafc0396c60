#pragma once
// Vaults at cluster scale: u_vault filled to each size (100 rows a player in 4 vaults, a third
// of them item rows of 2 KB of hex, the rest resource rows, 10% of the players due at a one-day
// decay), then the list, a save and a load of 100 items of 1 KB, one run of the decay event's
// body with nothing due, and one with a mass expiry while a game thread loads and saves the
// vaults of due players. The figures are named "scale <size> rows: ...".
#include <string>
#include <vector>

#include "bench/lockbury/RawDatabase.h"
#include "bench/lockbury/Report.h"

namespace Bench {

struct ScalePlan {
    std::vector<int> rows{10000, 100000, 1000000};  // ascending: the table grows from one to the next
    int runs = 21;  // of the list, the save and load, the decay run with nothing due
};

// Fills `database` (made by the caller, empty) and adds the figures to the report.
void MeasureScale(const ScalePlan& plan, Report& report, const DbServer& server, const std::string& database);

// "1k", "10k", "1M": the size in a figure's name.
std::string ScaleTag(int rows);

}  // namespace Bench
