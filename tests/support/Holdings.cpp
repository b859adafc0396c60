#include "support/Holdings.h"

#include "Private/Vault/ItemText.h"

namespace TestSupport {
namespace {

bool IsResource(const std::string& className) { return className.rfind("PrimalItemResource_", 0) == 0; }

}  // namespace

Holdings Holdings::InInventory(const Sim::Player& player) {
    Holdings held;
    for (const Sim::ItemView& item : player.Inventory()) {
        if (IsResource(item.className)) {
            held.units[item.className] += item.quantity;
        } else {
            held.items.insert(item.bytes);
        }
    }
    return held;
}

Holdings Holdings::InRows(const std::vector<StoredRow>& rows) {
    Holdings held;
    for (const StoredRow& row : rows) {
        if (!row.blueprint.empty()) {
            for (const auto& info : Sim::Server::Classes())
                if (info.blueprintPath == row.blueprint) held.units[info.name] += std::stol(row.qtd);
        } else {
            const TArray<unsigned char> bytes = Lockbury::HexToBytes(row.itemdata);
            held.items.insert({begin(bytes), end(bytes)});
        }
    }
    return held;
}

Holdings& Holdings::operator+=(const Holdings& other) {
    items.insert(other.items.begin(), other.items.end());
    for (const auto& [className, count] : other.units) units[className] += count;
    return *this;
}

void PrintTo(const Holdings& holdings, std::ostream* out) {
    *out << holdings.items.size() << " items";
    for (const auto& [className, count] : holdings.units) *out << ", " << className << " x" << count;
}

}  // namespace TestSupport
