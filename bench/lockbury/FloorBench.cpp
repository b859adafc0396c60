#include "bench/lockbury/FloorBench.h"

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "Database/VaultStatements.h"
#include "Private/Vault/ItemText.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Statements.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr std::uint64_t kFloorPlayer = 76561190000000000ULL;
constexpr int kLoadLimit = 299;  // the places an empty inventory has for a load

}  // namespace

Floor MeasureFloor(RawDatabase& db, int rows, std::size_t itemBytes, int runs) {
    std::mt19937 random(7);
    std::vector<std::string> hex;
    for (int i = 0; i < rows; ++i) {
        std::vector<unsigned char> bytes(itemBytes);
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        hex.push_back(Lockbury::BytesToHex(bytes));
    }
    const std::string vault = "floor";
    const std::string item = "PrimalItem_WeaponStoneHatchet_C_1";
    const std::string clear = "DELETE FROM u_vault WHERE steamid = " + std::to_string(kFloorPlayer);
    std::vector<double> inserts, selects, deletes, batches;
    for (int run = 0; run < runs; ++run) {
        db.Exec(clear);
        const std::int64_t now = std::time(nullptr);
        Timer insert;
        for (const auto& text : hex) db.Exec(Statements::AddItem(kFloorPlayer, vault, item, text, now));
        inserts.push_back(insert.Ms());

        Timer select;
        const auto found = db.Rows(Statements::GetItems(kFloorPlayer, vault, std::min(rows, kLoadLimit)));
        selects.push_back(select.Ms());

        Timer remove;
        for (const auto& row : found) db.Exec(Statements::DeleteItem(row[0]));
        deletes.push_back(remove.Ms());

        db.Exec(clear);
        Timer batch;
        db.Exec("START TRANSACTION");
        std::string rowsSql = VaultStatements::AddRowsHead();
        for (std::size_t i = 0; i < hex.size(); ++i) {
            if (i) rowsSql += ',';
            rowsSql += VaultStatements::ItemValues(kFloorPlayer, vault, item, hex[i], now);
        }
        db.Exec(rowsSql);
        db.Exec("COMMIT");
        batches.push_back(batch.Ms());
    }
    db.Exec(clear);
    return {Median(inserts), Median(selects), Median(deletes), Median(batches)};
}

}  // namespace Bench
