// Two lockbury-server processes with their own folders and one database: two game servers of a
// cluster. Both run at the same time; a vault saved on A is listed and loaded on B. On a Galera
// cluster (the label galera) B reaches the database through another node than A.
#include <gtest/gtest.h>

#include <regex>
#include <set>

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
    auto config = TestSupport::DefaultConfig(db.Params()), configB = TestSupport::DefaultConfig(db.OnNode(2));
    config["messages"]["vaultList"] = configB["messages"]["vaultList"] = "{}: {} items\n";
    ServerFolder a, b;
    configB["decay"] = 120;
    b.WriteConfig(configB);
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

// The durability of every hatchet in the inventory lines printed after `from`: each hatchet of
// the test has a durability of its own.
std::vector<int> Hatchets(const std::string& output, std::size_t from) {
    static const std::regex line(R"(\[inv \w+\] PrimalItem_WeaponStoneHatchet\S* \S+ qty=1 durability=(\d+))");
    std::vector<int> found;
    const std::string tail = output.substr(from);
    for (std::sregex_iterator it(tail.begin(), tail.end(), line), end; it != end; ++it)
        found.push_back(std::stoi((*it)[1]));
    return found;
}

// The same player loads the same vault on two servers at the same instant: each row is given
// once in total, and the other server gives what is left (here nothing).
TEST(TwoServers, OneVaultLoadedOnBothAtOnceIsGivenOnce) {
    TestSupport::ScratchDatabase db;
    ServerFolder a, b;
    a.WriteConfig(TestSupport::DefaultConfig(db.Params()));
    b.WriteConfig(TestSupport::DefaultConfig(db.OnNode(2)));
    ServerProcess serverA(Args(a, "A")), serverB(Args(b, "B"));

    constexpr int kTrials = 5, kItems = 40;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::string player = "P" + std::to_string(trial), mark = " " + std::to_string(trial) + "\n";
        const std::string join = "join " + player + " " + std::to_string(76561198000000100ULL + trial) + "\n";
        std::string give;
        for (int i = 1; i <= kItems; ++i)
            give += "give " + player + " PrimalItem_WeaponStoneHatchet durability=" + std::to_string(i) + "\n";
        serverB.Write(join + "echo joined" + mark);
        serverA.Write(join + give + "chat " + player + " /savevault v\necho saved" + mark);
        const std::size_t fromA = serverA.ReadUntil("saved" + mark).size();
        const std::size_t fromB = serverB.ReadUntil("joined" + mark).size();
        ASSERT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault"), std::to_string(kItems));

        const std::string load = "chat " + player + " /loadvault v\ninv " + player + "\necho loaded" + mark;
        serverA.Write(load);
        serverB.Write(load);
        std::vector<int> given = Hatchets(serverA.ReadUntil("loaded" + mark), fromA);
        for (int d : Hatchets(serverB.ReadUntil("loaded" + mark), fromB)) given.push_back(d);

        const std::set<int> distinct(given.begin(), given.end());
        EXPECT_EQ(given.size(), distinct.size()) << "no hatchet was given twice";
        EXPECT_EQ(static_cast<int>(given.size()) + std::stoi(db.Scalar("SELECT COUNT(*) FROM u_vault")), kItems)
            << "every hatchet is in exactly one place";
        db.Exec("DELETE FROM u_vault");
    }
    EXPECT_EQ(serverA.Finish().status, 0);
    EXPECT_EQ(serverB.Finish().status, 0);
}

}  // namespace
}  // namespace ServerTests
