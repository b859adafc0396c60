#pragma once
// A server with the plugin loaded over a scratch database, and the few questions the vault
// tests ask about it: what a player was told, what the inventory holds, what the vaults hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Private/Vault/ItemText.h"
#include "Sim/Server.h"
#include "support/ItemSpecs.h"
#include "support/PluginServer.h"
#include "support/StoredRow.h"
#include "support/TestConfig.h"
#include "support/TestDatabase.h"

namespace VaultTests {

constexpr std::uint64_t kAlice = 76561198000000001ULL;
constexpr std::uint64_t kBob = 76561198000000002ULL;

using TestSupport::StoredRow;
// An item to give, named by what matters to the test.
using Spec = TestSupport::Item;

// Where a player's things are, the inventory and the vault rows together: items told apart by
// their bytes, resources as units per class (a load may split a stack in two).
struct Holdings {
    std::multiset<std::vector<std::uint8_t>> items;
    std::map<std::string, long> units;
    friend bool operator==(const Holdings&, const Holdings&) = default;
};

class VaultTest : public ::testing::Test {
protected:
    VaultTest() : config(TestSupport::DefaultConfig(db.Params())) {}

    void Start() {
        server.WriteConfig(config);
        server.Load();
    }
    Sim::Player& Alice() { return Joined("alice", kAlice); }
    Sim::Player& Bob() { return Joined("bob", kBob); }
    Sim::Player& Joined(const std::string& name, std::uint64_t id) {
        if (Sim::Player* p = server.Find(name)) return *p;
        return server.Join(name, id);
    }

    Sim::ItemView Give(Sim::Player& player, const std::string& cls, int quantity = 1) {
        Sim::ItemSpec spec;
        spec.className = cls;
        spec.quantity = quantity;
        return server.Give(player, spec);
    }
    Sim::ItemView Give(Sim::Player& player, const Spec& spec) { return server.Give(player, spec.Spec()); }

    // Chat texts the player was shown, in order; forgets them.
    std::vector<std::string> Told(Sim::Player& player) {
        std::vector<std::string> texts;
        for (const auto& out : player.Received()) texts.push_back(out.text);
        player.ClearReceived();
        return texts;
    }
    std::vector<std::string> Say(Sim::Player& player, const std::string& line) {
        player.ClearReceived();
        EXPECT_TRUE(server.Chat(player, line)) << line;
        return Told(player);
    }

    std::vector<StoredRow> Rows(std::uint64_t steamId, const std::string& vault = "") const {
        std::string sql = "SELECT id, vaultname, itemname, itemdata, blueprint, qtd FROM u_vault WHERE steamid = " +
                          std::to_string(steamId);
        if (!vault.empty()) sql += " AND vaultname = '" + vault + "'";
        std::vector<StoredRow> rows;
        for (const auto& r : db.Query(sql + " ORDER BY id")) {
            auto at = [&](std::size_t i) { return r[i].value_or(""); };
            rows.push_back({at(0), at(1), at(2), at(3), at(4), at(5)});
        }
        return rows;
    }
    Holdings HoldingsOf(Sim::Player& player) const {
        Holdings now = InRows(Rows(player.SteamId()));
        for (const auto& item : player.Inventory()) {
            if (item.className.rfind("PrimalItemResource_", 0) == 0) {
                now.units[item.className] += item.quantity;
            } else {
                now.items.insert(item.bytes);
            }
        }
        return now;
    }
    static Holdings InRows(const std::vector<StoredRow>& rows) {
        Holdings now;
        for (const auto& row : rows) {
            if (!row.blueprint.empty()) {
                for (const auto& info : Sim::Server::Classes())
                    if (info.blueprintPath == row.blueprint) now.units[info.name] += std::stol(row.qtd);
            } else {
                const TArray<unsigned char> bytes = Lockbury::HexToBytes(row.itemdata);
                now.items.insert({begin(bytes), end(bytes)});
            }
        }
        return now;
    }
    std::vector<std::string> ClassesIn(Sim::Player& player) const {
        std::vector<std::string> classes;
        for (const auto& item : player.Inventory()) classes.push_back(item.className);
        std::sort(classes.begin(), classes.end());
        return classes;
    }
    int LogLinesContaining(const std::string& text) const {
        return static_cast<int>(std::count_if(server.LogLines().begin(), server.LogLines().end(),
                                              [&](const std::string& l) { return l.find(text) != std::string::npos; }));
    }

    TestSupport::ScratchDatabase db;
    TestSupport::PluginServer server;
    nlohmann::ordered_json config;
};

}  // namespace VaultTests
