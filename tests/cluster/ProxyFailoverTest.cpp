// A proxy in front of the cluster (a relay) fails over to another node while a save's COMMIT is
// on its way and its answer is lost. The new connection reaches node 2, where the old session's
// number names nothing of ours, so it is not ended, and the save cannot be settled: the items
// stay with the player and the administrator is told which rows may be doubled. Nothing is lost.
#include <set>

#include "support/PluginTest.h"
#include "support/Relay.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;

class ProxyFailover : public TestSupport::PluginStoreTest {};

TEST_F(ProxyFailover, ALostCommitAskedThroughAnotherNodeKeepsTheItemsAndNamesTheRows) {
    ASSERT_NE(db.OnNode(2).port, db.Params().port) << "runs on the three-node cluster: scripts/cluster start";
    TestSupport::Relay proxy(db.Params().port);
    config["mysqlPort"] = proxy.Port();
    config["queryTimeout"] = 2;
    config["reconnectTimeout"] = 1;
    config["reconnectInterval"] = 0;
    Start();
    auto& alice = Join("alice");
    for (std::uint8_t i = 0; i < 3; ++i) alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({i}));
    ASSERT_EQ(alice.Types("/listvault"), Strings{"No vaults"}) << "connected through node 1";

    proxy.Retarget(db.OnNode(2).port);
    proxy.CutAnswerOf("COMMIT");
    server.ClearLog();
    ExpectErrorLog("(Database/MysqlDB MySql::AddVaultRows) The vault store failed: Lost connection to server during query");
    ExpectErrorLog("(Database/MysqlDB MySql::AddVaultRows) Save of vault rows ");
    EXPECT_EQ(alice.Types("/savevault trip"), Strings{"Store unavailable"});
    EXPECT_FALSE(proxy.Armed());

    std::multiset<std::uint8_t> held;
    for (const auto& item : alice->Inventory()) held.insert(item.payload.at(0));
    EXPECT_EQ(held, (std::multiset<std::uint8_t>{0, 1, 2})) << "the items stay";
    std::string ids;
    for (const auto& row : Rows(alice, "trip")) ids += (ids.empty() ? "" : ",") + row.id;
    EXPECT_EQ(Rows(alice, "trip").size(), 3u) << "the COMMIT landed on node 1: doubled, not lost";
    EXPECT_EQ(LogLinesContaining("Save of vault rows " + ids +
                                 " may or may not be stored: the database cannot be asked (the new connection reached "
                                 "another database server"),
              1)
        << ids;
    EXPECT_EQ(LogLinesContaining("[Lockbury][warning]"), 1) << "the session on node 1 is not ended";
}

}  // namespace
