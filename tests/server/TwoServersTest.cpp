// Two lockbury-server processes with their own folders and one database: two game servers of a
// cluster. Both run at the same time; a vault saved on A is listed and loaded on B.
#include <gtest/gtest.h>

#include "ServerFolder.h"
#include "ServerProcess.h"
#include "support/TestConfig.h"
#include "support/TestDatabase.h"

namespace ServerTests {
namespace {

std::vector<std::string> Args(const ServerFolder& folder, const std::string& name) {
    return {"--server-dir", folder.Dir().string(), "--name", name};
}

TEST(TwoServers, AVaultSavedOnAIsListedAndLoadedOnB) {
    TestSupport::ScratchDatabase db;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["messages"]["vaultList"] = "{}: {} items\n";
    ServerFolder a, b;
    config["decay"] = 120;
    b.WriteConfig(config);
    config["decay"] = 45;
    a.WriteConfig(config);

    // B is up first and stays up while A runs, as on a live cluster.
    ServerProcess serverB(Args(b, "B"));
    serverB.Write("join Ann 76561198000000001\nchat Ann /listvault\n");
    // Once B has answered, its plugin has loaded: A is the server that loads last.
    serverB.ReadUntil("[notify Ann]");

    auto runA = ServerProcess::Run(Args(a, "A"),
                                   "join Ann 76561198000000001\n"
                                   "give Ann PrimalItemResource_Wood 30\n"
                                   "give Ann PrimalItem_WeaponStoneHatchet durability=61\n"
                                   "give Ann PrimalItem_WeaponEmptyCryopod durability=30 payload=3000\n"
                                   "chat Ann /savevault trip\n"
                                   "inv Ann\n");
    EXPECT_EQ(Normalised(runA.output),
              "[A] PrimalItemResource_Wood_C_N\n"
              "[A] PrimalItem_WeaponStoneHatchet_C_N\n"
              "[A] PrimalItem_WeaponEmptyCryopod_C_N\n"
              "[A] [inv Ann] empty\n");
    EXPECT_EQ(runA.status, 0);

    serverB.Write("chat Ann /listvault\nchat Ann /loadvault trip\ninv Ann\nchat Ann /listvault\n");
    auto runB = serverB.Finish();
    EXPECT_EQ(Normalised(runB.output),
              "[B] [notify Ann] No vaults\n"
              "[B] [notify Ann] trip: 3 items\n"
              "[B] [log] [Lockbury][info] Took 0 seconds to load from mysql\n"
              "[B] [inv Ann] PrimalItemResource_Wood_C_N PrimalItemResource_Wood qty=30\n"
              "[B] [inv Ann] PrimalItem_WeaponStoneHatchet_C_N PrimalItem_WeaponStoneHatchet qty=1 durability=61\n"
              "[B] [inv Ann] PrimalItem_WeaponEmptyCryopod_C_N PrimalItem_WeaponEmptyCryopod qty=1 durability=60 "
              "payload=3000\n"
              "[B] [notify Ann] No vaults\n");
    EXPECT_EQ(runB.status, 0);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault"), "0");

    // The decay event is the one of the server that loaded last: A, with 45 minutes.
    EXPECT_NE(db.Scalar("SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() "
                        "AND EVENT_NAME = 'Vault_Decay'")
                  .find("(60 * 45)"),
              std::string::npos);
}

}  // namespace
}  // namespace ServerTests
