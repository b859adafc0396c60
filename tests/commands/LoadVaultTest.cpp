// Loading a vault back: how many rows come back, what is charged, how returned items are
// adjusted, and what stays in the vault when something goes wrong.
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;

class LoadVault : public TestSupport::PluginStoreTest {
protected:
    // A vault of count hatchets, saved the way a player saves it.
    void SaveHatchets(Player& player, const std::string& vault, int count) {
        for (int i = 0; i < count; ++i) player.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
        player.Types("/savevault " + vault);
        ASSERT_TRUE(player->Inventory().empty());
    }
    void FillWithWood(Player& player, int stacks) {
        for (int i = 0; i < stacks; ++i) player.PicksUp(Item("PrimalItemResource_Wood"));
    }
    void InsertRow(std::uint64_t steamId, const std::string& vault, const std::string& itemdata,
                   const std::string& blueprint = "", int qtd = 0) {
        db.Exec("INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) VALUES (" +
                std::to_string(steamId) + ", '" + vault + "', 'test', " +
                (itemdata.empty() ? "NULL" : "'" + itemdata + "'") + ", " +
                (blueprint.empty() ? "NULL" : "\"" + blueprint + "\"") + ", " + std::to_string(qtd) +
                ", UNIX_TIMESTAMP())");
    }
    std::string HexOf(Player& player, const std::string& cls) {
        player.PicksUp(Item(cls));
        player.Types("/savevault scratch");
        const auto rows = Rows(player, "scratch");
        db.Exec("DELETE FROM u_vault WHERE vaultname = 'scratch'");
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? "" : rows[0].itemdata;
    }
};

TEST_F(LoadVault, GivesEveryRowBackAndEmptiesTheVault) {
    Start();
    auto& alice = Join("alice");
    const Sim::ItemView hatchet = alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Durability(17.5f).Payload({9, 8, 7}));
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(40));
    alice.Types("/savevault my-base!");

    EXPECT_EQ(alice.Types("/loadvault my-base!"), Strings{});  // the typed name finds the saved vault
    EXPECT_TRUE(Rows(alice).empty());
    const auto items = alice->Inventory();
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
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 1);
    FillWithWood(alice, 299);
    server.ClearLog();
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Inventory full"});
    EXPECT_EQ(LogLinesContaining("to load from mysql"), 0);
    EXPECT_EQ(Rows(alice).size(), 1u);
}

TEST_F(LoadVault, SlottedEngramAndInitialItemsTakeNoPlace) {
    Start();
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 1);
    FillWithWood(alice, 298);
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Slot(1));
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Engram());
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Initial());
    alice->SetInventoryCapacity(1000);  // the game itself would take no more
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Inventory full after 1 items"});
    EXPECT_TRUE(Rows(alice).empty());
}

TEST_F(LoadVault, FreePlacesLimitTheRowsAndReportTheMaximum) {
    Start();
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 12);
    FillWithWood(alice, 290);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Inventory full after 9 items"});
    EXPECT_EQ(Rows(alice).size(), 3u);
    EXPECT_EQ(alice->Inventory().size(), 299u);
}

TEST_F(LoadVault, UnknownVaultIsNotFound) {
    Start();
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(alice.Types("/loadvault other"), Strings{"Vault not found"});
    EXPECT_EQ(Join("bob").Types("/loadvault base"), Strings{"Vault not found"});  // vaults belong to their owner
    EXPECT_EQ(Rows(alice).size(), 1u);
}

TEST_F(LoadVault, PointsAreChargedOnlyWhenProximityIsRequired) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Join("alice");
    server.SetPoints(alice->SteamId(), 120);

    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"50 points taken"});
    EXPECT_EQ(server.Points(alice->SteamId()), 70);
    EXPECT_EQ(alice->Inventory().size(), 1u);

    // Nothing to give: nothing charged.
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Vault not found"});
    EXPECT_EQ(server.Points(alice->SteamId()), 70);
}

// A malformed "points" text (or sender) once ended the command after the points were taken and
// before anything was given. Now the text goes out as it stands and the items come; the load
// names both texts in config.json, and the command names the points text when it is sent.
TEST_F(LoadVault, BrokenPointsMessageStillGivesWhatWasPaidFor) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    server.Place("TekTransmitter", {0, 0, 0});
    const struct {
        nlohmann::ordered_json points;
        Strings atLoad;  // on the sender, then on the points
        std::string atCommand;
    } cases[] = {
        {"Paid {} points ({})",
         {"sender: cannot be filled with its 0 value(s): argument not found; it is sent as it stands",
          "points: cannot be filled with its 1 value(s): argument not found; it is sent as it stands"},
         "points: argument not found; sent as it stands"},
        {"{:d",
         {"sender: cannot be filled with its 0 value(s): argument not found; it is sent as it stands",
          "points: cannot be filled with its 1 value(s): missing '}' in format string; it is sent as it stands"},
         "points: missing '}' in format string; sent as it stands"},
        {12, {"sender: must be a text, not number", "points: must be a text, not number"}, ""},
        {"{:>2000000000}",
         {"sender: has a width or precision above 1000; it is sent as it stands",
          "points: has a width or precision above 1000; it is sent as it stands"},
         "points: has a width or precision above 1000; sent as it stands"},
    };
    std::uint64_t id = 9000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points.dump());
        config["messages"]["points"] = c.points;
        config["messages"]["sender"] = c.points;
        for (const std::string& line : c.atLoad) ExpectErrorLog("config.json: messages." + line);
        if (!c.atCommand.empty()) ExpectErrorLog("config.json: messages." + c.atCommand);
        Start();
        ++id;
        auto& player = Join("p" + std::to_string(id), id);
        server.SetPoints(id, 120);
        SaveHatchets(player, "base", 2);
        const auto told = player.Types("/loadvault base");
        EXPECT_EQ(told, Strings{c.points.is_string() ? c.points.get<std::string>() : c.points.dump()});
        EXPECT_EQ(server.Points(id), 70);
        EXPECT_EQ(player->Inventory().size(), 2u) << "what was paid for is given";
        EXPECT_TRUE(Rows(id).empty());
        server.UnloadPlugin();
        server.ClearLog();
    }
}

TEST_F(LoadVault, ProximityNotRequiredOrFreeLoadChargesNothing) {
    config["nearTransmiterPoints"] = 50;
    Start();
    auto& alice = Join("alice");
    server.SetPoints(alice->SteamId(), 120);
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{});
    EXPECT_EQ(server.Points(alice->SteamId()), 120);
}

TEST_F(LoadVault, PriceZeroIsFreeAndSilent) {
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Join("alice");
    server.SetPoints(alice->SteamId(), 5);
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{});
    EXPECT_EQ(server.Points(alice->SteamId()), 5);
    EXPECT_EQ(alice->Inventory().size(), 1u);
}

TEST_F(LoadVault, PlayerWhoCannotPayKeepsTheVault) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    auto& alice = Join("alice");
    server.SetPoints(alice->SteamId(), 49);
    SaveHatchets(alice, "base", 2);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Not enough points"});
    EXPECT_EQ(server.Points(alice->SteamId()), 49);
    EXPECT_TRUE(alice->Inventory().empty());
    EXPECT_EQ(Rows(alice).size(), 2u);
}

TEST_F(LoadVault, MissingShopPluginIsARefusalToPay) {
    config["nearTransmiterPoints"] = 50;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {0, 0, 0});
    server.SetSiblingPluginsLoaded(true, false);
    ExpectErrorLog("(Private/SiblingCalls SpendPoints) ArkShop plugin is not loaded; treating as unable to pay");
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 1);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Not enough points"});
    EXPECT_EQ(Rows(alice).size(), 1u);
}

TEST_F(LoadVault, EmptyCryopodIsToppedUpAndDatedAnHourAhead) {
    Start();
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItem_WeaponEmptyCryopod").Durability(12.0f));
    alice.Types("/savevault pods");
    server.AdvanceGameTime(500.0);
    alice.Types("/loadvault pods");
    ASSERT_EQ(alice->Inventory().size(), 1u);
    const auto pod = alice->Inventory()[0];
    EXPECT_FLOAT_EQ(pod.durability, 24.0f);
    EXPECT_DOUBLE_EQ(pod.creationTime, server.GameTime() + 3600.0);
    EXPECT_EQ(pod.updatedItemCalls, 1);
}

TEST_F(LoadVault, SpoilingItemStartsSpoilingAnew) {
    Start();
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItemConsumable_RawMeat").Spoils(1200.0));
    server.AdvanceGameTime(100.0);
    alice.Types("/savevault food");
    server.AdvanceGameTime(5000.0);
    alice.Types("/loadvault food");
    ASSERT_EQ(alice->Inventory().size(), 1u);
    const auto meat = alice->Inventory()[0];
    EXPECT_DOUBLE_EQ(meat.creationTime, server.GameTime());
    EXPECT_DOUBLE_EQ(meat.nextSpoilingTime, server.GameTime() + 1200.0);
    EXPECT_EQ(meat.updatedItemCalls, 1);
}

TEST_F(LoadVault, DamagedRowStopsTheLoadThereAndLogsOnce) {
    Start();
    auto& alice = Join("alice");
    const std::string good = HexOf(alice, "PrimalItem_WeaponStoneHatchet");
    InsertRow(alice->SteamId(), "base", good);
    InsertRow(alice->SteamId(), "base", "zz" + good);
    InsertRow(alice->SteamId(), "base", good);
    server.ClearLog();
    const std::string damaged = "(Private/Vault Lockbury::LoadIntoInventory) Unexpected error invalid stoi argument";
    ExpectErrorLog(damaged);

    EXPECT_EQ(alice.Types("/loadvault base"), Strings{});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_EQ(Rows(alice).size(), 2u);
    EXPECT_EQ(LogLinesContaining(damaged), 1);
    EXPECT_EQ(LogLinesContaining("Unexpected error"), 1);

    ExpectErrorLog(damaged);
    alice.Types("/loadvault base");  // stops at the same row every time, and says so
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_EQ(Rows(alice).size(), 2u);
}

TEST_F(LoadVault, RowsThatGiveNothingStayInTheVault) {
    Start();
    auto& alice = Join("alice");
    InsertRow(alice->SteamId(), "base", "", "Blueprint'/Game/Gone/PrimalItemResource_Gone.PrimalItemResource_Gone'", 5);
    InsertRow(alice->SteamId(), "base", "00112233");  // hexadecimal, but no item
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
    EXPECT_EQ(Rows(alice).size(), 2u);
}

TEST_F(LoadVault, ItemTheGameRefusesStaysInTheVault) {
    Start();
    auto& alice = Join("alice");
    SaveHatchets(alice, "base", 3);
    alice->SetInventoryCapacity(2);
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{});
    EXPECT_EQ(alice->Inventory().size(), 2u);
    EXPECT_EQ(Rows(alice).size(), 1u);
}

TEST_F(LoadVault, DatabaseStoppedSaysTheStoreCannotBeReached) {
    StoreDown();
    ExpectErrorLog("(Database/MysqlDB MySql::ClaimVaultItems) The vault store failed");
    Start();
    auto& alice = Join("alice");
    EXPECT_EQ(alice.Types("/loadvault base"), Strings{"Store unavailable"});
    EXPECT_TRUE(alice->Inventory().empty());
}

TEST_F(LoadVault, MissingNameIsWrongSyntaxWithTheCommandText) {
    Start();
    EXPECT_EQ(Join("alice").Types("/loadvault  "), Strings{"Use /loadvault <name>"});
}

}  // namespace
