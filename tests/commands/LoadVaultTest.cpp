// Loading a vault back: how many rows come back, what is charged, how returned items are
// adjusted, and what stays in the vault when something goes wrong.
#include "commands/VaultFixture.h"

namespace VaultTests {
namespace {

using Strings = std::vector<std::string>;

class LoadVault : public VaultTest {
protected:
    // A vault of count hatchets, saved the way a player saves it.
    void SaveHatchets(Sim::Player& player, const std::string& vault, int count) {
        for (int i = 0; i < count; ++i) Give(player, "PrimalItem_WeaponStoneHatchet");
        Say(player, "/savevault " + vault);
        ASSERT_TRUE(player.Inventory().empty());
    }
    void FillWithWood(Sim::Player& player, int stacks) {
        for (int i = 0; i < stacks; ++i) Give(player, "PrimalItemResource_Wood");
    }
    void InsertRow(std::uint64_t steamId, const std::string& vault, const std::string& itemdata,
                   const std::string& blueprint = "", int qtd = 0) {
        db.Exec("INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) VALUES (" +
                std::to_string(steamId) + ", '" + vault + "', 'test', " +
                (itemdata.empty() ? "NULL" : "'" + itemdata + "'") + ", " +
                (blueprint.empty() ? "NULL" : "\"" + blueprint + "\"") + ", " + std::to_string(qtd) +
                ", UNIX_TIMESTAMP())");
    }
    std::string HexOf(Sim::Player& player, const std::string& cls) {
        const Sim::ItemView item = Give(player, cls);
        Say(player, "/savevault scratch");
        const auto rows = Rows(player.SteamId(), "scratch");
        db.Exec("DELETE FROM u_vault WHERE vaultname = 'scratch'");
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? "" : rows[0].itemdata;
    }
};

TEST_F(LoadVault, GivesEveryRowBackAndEmptiesTheVault) {
    Start();
    auto& alice = Alice();
    const Sim::ItemView hatchet = Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Durability(17.5f).Payload({9, 8, 7}));
    Give(alice, "PrimalItemResource_Wood", 40);
    Say(alice, "/savevault my-base!");

    EXPECT_EQ(Say(alice, "/loadvault my-base!"), Strings{});  // the typed name finds the saved vault
    EXPECT_TRUE(Rows(kAlice).empty());
    const auto items = alice.Inventory();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].updatedItemCalls + items[1].updatedItemCalls, 0);  // nothing to adjust
    const auto& back = items[0].className == hatchet.className ? items[0] : items[1];
    const auto& wood = items[0].className == hatchet.className ? items[1] : items[0];
    EXPECT_EQ(back.payload, hatchet.payload);
    EXPECT_EQ(back.durability, 17.5f);
    EXPECT_EQ(wood.className, "PrimalItemResource_Wood");
    EXPECT_EQ(wood.quantity, 40);
}

TEST_F(LoadVault, FullInventoryIsRefusedWithoutReadingTheStore) {
    Start();
    auto& alice = Alice();
    SaveHatchets(alice, "base", 1);
    FillWithWood(alice, 299);
    server.ClearLog();
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Inventory full"});
    EXPECT_EQ(LogLinesContaining("to load from mysql"), 0);
    EXPECT_EQ(Rows(kAlice).size(), 1u);
}

TEST_F(LoadVault, SlottedEngramAndInitialItemsTakeNoPlace) {
    Start();
    auto& alice = Alice();
    SaveHatchets(alice, "base", 1);
    FillWithWood(alice, 298);
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Slot(1));
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Engram());
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Initial());
    alice.SetInventoryCapacity(1000);  // the game itself would take no more
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Inventory full after 1 items"});
    EXPECT_TRUE(Rows(kAlice).empty());
}

TEST_F(LoadVault, FreePlacesLimitTheRowsAndReportTheMaximum) {
    Start();
    auto& alice = Alice();
    SaveHatchets(alice, "base", 12);
    FillWithWood(alice, 290);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Inventory full after 9 items"});
    EXPECT_EQ(Rows(kAlice).size(), 3u);
    EXPECT_EQ(alice.Inventory().size(), 299u);
}

TEST_F(LoadVault, UnknownVaultIsNotFound) {
    Start();
    auto& alice = Alice();
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(Say(alice, "/loadvault other"), Strings{"Vault not found"});
    EXPECT_EQ(Say(Bob(), "/loadvault base"), Strings{"Vault not found"});  // vaults belong to their owner
    EXPECT_EQ(Rows(kAlice).size(), 1u);
}

TEST_F(LoadVault, PointsAreChargedOnlyWhenProximityIsRequired) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Alice();
    server.SetPoints(kAlice, 120);

    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"50 points taken"});
    EXPECT_EQ(server.Points(kAlice), 70);
    EXPECT_EQ(alice.Inventory().size(), 1u);

    // Nothing to give: nothing charged.
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Vault not found"});
    EXPECT_EQ(server.Points(kAlice), 70);
}

// A malformed "points" text (or sender) once ended the command after the points were taken and
// before anything was given. Now the text goes out as it stands and the items come.
TEST_F(LoadVault, BrokenPointsMessageStillGivesWhatWasPaidFor) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    server.Place("TekTransmitter", {0, 0, 0});
    std::uint64_t id = 9000;
    for (const nlohmann::ordered_json& points :
         {nlohmann::ordered_json("Paid {} points ({})"), nlohmann::ordered_json("{:d"), nlohmann::ordered_json(12),
          nlohmann::ordered_json("{:>2000000000}")}) {
        SCOPED_TRACE(points.dump());
        config["messages"]["points"] = points;
        config["messages"]["sender"] = points;
        Start();
        ++id;
        auto& player = Joined("p" + std::to_string(id), id);
        server.SetPoints(id, 120);
        SaveHatchets(player, "base", 2);
        const auto told = Say(player, "/loadvault base");
        EXPECT_EQ(told, Strings{points.is_string() ? points.get<std::string>() : points.dump()});
        EXPECT_EQ(server.Points(id), 70);
        EXPECT_EQ(player.Inventory().size(), 2u) << "what was paid for is given";
        EXPECT_TRUE(Rows(id).empty());
        EXPECT_GE(LogLinesContaining("config.json: messages.points: "), 1);
        server.UnloadPlugin();
        server.ClearLog();
    }
}

TEST_F(LoadVault, ProximityNotRequiredOrFreeLoadChargesNothing) {
    config["nearTransmiterPoints"] = 50;
    Start();
    auto& alice = Alice();
    server.SetPoints(kAlice, 120);
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{});
    EXPECT_EQ(server.Points(kAlice), 120);
}

TEST_F(LoadVault, PriceZeroIsFreeAndSilent) {
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Alice();
    server.SetPoints(kAlice, 5);
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{});
    EXPECT_EQ(server.Points(kAlice), 5);
    EXPECT_EQ(alice.Inventory().size(), 1u);
}

TEST_F(LoadVault, PlayerWhoCannotPayKeepsTheVault) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Alice();
    server.SetPoints(kAlice, 49);
    SaveHatchets(alice, "base", 2);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Not enough points"});
    EXPECT_EQ(server.Points(kAlice), 49);
    EXPECT_TRUE(alice.Inventory().empty());
    EXPECT_EQ(Rows(kAlice).size(), 2u);
}

TEST_F(LoadVault, MissingShopPluginIsARefusalToPay) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    server.SetSiblingPluginsLoaded(true, false);
    auto& alice = Alice();
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Not enough points"});
    EXPECT_EQ(Rows(kAlice).size(), 1u);
}

TEST_F(LoadVault, EmptyCryopodIsToppedUpAndDatedAnHourAhead) {
    Start();
    auto& alice = Alice();
    Give(alice, Spec("PrimalItem_WeaponEmptyCryopod").Durability(12.0f));
    Say(alice, "/savevault pods");
    server.AdvanceGameTime(500.0);
    Say(alice, "/loadvault pods");
    ASSERT_EQ(alice.Inventory().size(), 1u);
    const auto pod = alice.Inventory()[0];
    EXPECT_FLOAT_EQ(pod.durability, 24.0f);
    EXPECT_DOUBLE_EQ(pod.creationTime, server.GameTime() + 3600.0);
    EXPECT_EQ(pod.updatedItemCalls, 1);
}

TEST_F(LoadVault, SpoilingItemStartsSpoilingAnew) {
    Start();
    auto& alice = Alice();
    Give(alice, Spec("PrimalItemConsumable_RawMeat").Spoils(1200.0));
    server.AdvanceGameTime(100.0);
    Say(alice, "/savevault food");
    server.AdvanceGameTime(5000.0);
    Say(alice, "/loadvault food");
    ASSERT_EQ(alice.Inventory().size(), 1u);
    const auto meat = alice.Inventory()[0];
    EXPECT_DOUBLE_EQ(meat.creationTime, server.GameTime());
    EXPECT_DOUBLE_EQ(meat.nextSpoilingTime, server.GameTime() + 1200.0);
    EXPECT_EQ(meat.updatedItemCalls, 1);
}

TEST_F(LoadVault, DamagedRowStopsTheLoadThereAndLogsOnce) {
    Start();
    auto& alice = Alice();
    const std::string good = HexOf(alice, "PrimalItem_WeaponStoneHatchet");
    InsertRow(kAlice, "base", good);
    InsertRow(kAlice, "base", "zz" + good);
    InsertRow(kAlice, "base", good);
    server.ClearLog();

    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{});
    EXPECT_EQ(alice.Inventory().size(), 1u);
    EXPECT_EQ(Rows(kAlice).size(), 2u);
    EXPECT_EQ(LogLinesContaining("(Private/Vault Lockbury::LoadIntoInventory) Unexpected error invalid stoi argument"), 1);
    EXPECT_EQ(LogLinesContaining("Unexpected error"), 1);

    Say(alice, "/loadvault base");  // stops at the same row every time
    EXPECT_EQ(alice.Inventory().size(), 1u);
    EXPECT_EQ(Rows(kAlice).size(), 2u);
}

TEST_F(LoadVault, RowsThatGiveNothingStayInTheVault) {
    Start();
    auto& alice = Alice();
    InsertRow(kAlice, "base", "", "Blueprint'/Game/Gone/PrimalItemResource_Gone.PrimalItemResource_Gone'", 5);
    InsertRow(kAlice, "base", "00112233");  // hexadecimal, but no item
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{});
    EXPECT_TRUE(alice.Inventory().empty());
    EXPECT_EQ(Rows(kAlice).size(), 2u);
}

TEST_F(LoadVault, ItemTheGameRefusesStaysInTheVault) {
    Start();
    auto& alice = Alice();
    SaveHatchets(alice, "base", 3);
    alice.SetInventoryCapacity(2);
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{});
    EXPECT_EQ(alice.Inventory().size(), 2u);
    EXPECT_EQ(Rows(kAlice).size(), 1u);
}

TEST_F(LoadVault, DatabaseStoppedSaysTheStoreCannotBeReached) {
    config["mysqlPort"] = 1;
    Start();
    auto& alice = Alice();
    EXPECT_EQ(Say(alice, "/loadvault base"), Strings{"Store unavailable"});
    EXPECT_TRUE(alice.Inventory().empty());
}

TEST_F(LoadVault, MissingNameIsWrongSyntaxWithTheCommandText) {
    Start();
    EXPECT_EQ(Say(Alice(), "/loadvault  "), Strings{"Use /loadvault <name>"});
}

}  // namespace
}  // namespace VaultTests
