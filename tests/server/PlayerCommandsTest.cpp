// Each command of lockbury-server against the real plugin and a scratch database, as an
// administrator trying a configuration would use them.
#include <gtest/gtest.h>

#include "SessionTest.h"

namespace ServerTests {
namespace {

using PlayerCommands = SessionTest;

TEST_F(PlayerCommands, GiveAndInvShowEveryItemWithItsFlags) {
    EXPECT_EQ(Run("join Ann 76561198000000001\n"
                  "give Ann PrimalItemResource_Wood 25\n"
                  "give Ann PrimalItem_WeaponStoneHatchet slot=2 durability=12.5\n"
                  "give Ann PrimalItemConsumable_RawMeat engram initial spoil=30\n"
                  "give Ann PrimalItem_WeaponEmptyCryopod durability=30 payload=16\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "PrimalItem_WeaponStoneHatchet_C_N\n"
              "PrimalItemConsumable_RawMeat_C_N\n"
              "PrimalItem_WeaponEmptyCryopod_C_N\n"
              "[inv Ann] PrimalItemResource_Wood_C_N PrimalItemResource_Wood qty=25\n"
              "[inv Ann] PrimalItem_WeaponStoneHatchet_C_N PrimalItem_WeaponStoneHatchet qty=1 slot=2 durability=12.5\n"
              "[inv Ann] PrimalItemConsumable_RawMeat_C_N PrimalItemConsumable_RawMeat qty=1 engram initial spoils-at=30\n"
              "[inv Ann] PrimalItem_WeaponEmptyCryopod_C_N PrimalItem_WeaponEmptyCryopod qty=1 durability=30 payload=16\n");
    EXPECT_EQ(Status(), 0);
}

TEST_F(PlayerCommands, ChatSavesAndListsAndLeaveForgetsThePlayer) {
    EXPECT_EQ(Run("join Ann 76561198000000001\n"
                  "give Ann PrimalItemResource_Wood 25\n"
                  "give Ann PrimalItem_WeaponStoneHatchet\n"
                  "chat Ann /savevault\n"
                  "chat Ann /savevault  base\n"
                  "give Ann PrimalItemResource_Stone 3\n"
                  "chat Ann /savevault attic\n"
                  "chat Ann /listvault\n"
                  "chat Ann hello everyone\n"
                  "inv Ann\n"
                  "leave Ann\n"
                  "inv Ann\n"
                  "join Ann 76561198000000001\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "PrimalItem_WeaponStoneHatchet_C_N\n"
              "[chat Ann] Vault: Use /savevault <name>\n"
              "PrimalItemResource_Stone_C_N\n"
              "[notify Ann] attic: 1 items\n"
              "             base: 2 items\n"
              "(no chat command took this line)\n"
              "[inv Ann] empty\n"
              "error: line 12: no player named \"Ann\" (join NAME STEAMID first)\n"
              "[inv Ann] empty\n");
    EXPECT_EQ(db_.Scalar("SELECT COUNT(*) FROM u_vault WHERE steamid = 76561198000000001"), "3");
}

TEST_F(PlayerCommands, PosAndPlaceDecideWhetherATransmitterIsNear) {
    Config()["commands"]["saveVault"]["requireNearTransmiter"] = true;
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "place TekTransmitter 5000 0 0\n"
                  "chat Ann /savevault base\n"
                  "pos Ann 4500 0 0\n"
                  "chat Ann /savevault base\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "TekTransmitter_C_N\n"
              "[chat Ann] Vault: Stand near a transmitter\n"
              "[inv Ann] empty\n");
}

TEST_F(PlayerCommands, KillAndReviveSilenceAndRestoreTheCommands) {
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "kill Ann\n"
                  "chat Ann /savevault base\n"
                  "inv Ann\n"
                  "revive Ann\n"
                  "chat Ann /savevault base\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "[inv Ann] PrimalItemResource_Wood_C_N PrimalItemResource_Wood qty=5\n"
              "[inv Ann] empty\n");
}

TEST_F(PlayerCommands, ConsoleRunsTheKitCommandsWithColouredServerLines) {
    std::string out =
        Run("join Bob 2\n"
            "give Bob PrimalItem_WeaponStoneHatchet durability=55\n"
            "console Bob makekit\n"
            "console Bob makekit starter\n"
            "console Bob getkit   starter\n"
            "console Bob teleport\n"
            "inv Bob\n");
    EXPECT_EQ(out,
              "PrimalItem_WeaponStoneHatchet_C_N\n"
              "[server Bob red] Wrong Syntax. Use makekit 'name of the kit'\n"
              "[server Bob green] Kit created\n"
              "(no console command \"teleport\")\n"
              "[inv Bob] PrimalItem_WeaponStoneHatchet_C_N PrimalItem_WeaponStoneHatchet qty=1 durability=55\n"
              "[inv Bob] PrimalItem_WeaponStoneHatchet_C_N PrimalItem_WeaponStoneHatchet qty=1 durability=55\n");
}

TEST_F(PlayerCommands, ConsoleDumpiWritesToTheLog) {
    EXPECT_EQ(Run("join Bob 2\n"
                  "give Bob PrimalItemResource_Stone 2\n"
                  "console Bob dumpi\n"),
              "PrimalItemResource_Stone_C_N\n"
              "[log] [Lockbury][info] DumpItems\n"
              "[log] [Lockbury][info] Found Item\n"
              "[log] [Lockbury][info] NameField PrimalItemResource_Stone_C_N\n"
              "[log] [Lockbury][info] BluePrint "
              "Blueprint'/Game/PrimalEarth/CoreBlueprints/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone'\n");
}

TEST_F(PlayerCommands, DamageAndClockDriveTheCombatReport) {
    EXPECT_EQ(Run("join Ann 1\n"
                  "join Cid 3\n"
                  "chat Ann /checkcd\n"
                  "damage Ann creature\n"
                  "damage creature Cid\n"
                  "clock +45\n"
                  "chat Ann /checkcd\n"
                  "chat Cid /checkcd\n"
                  "clock +15\n"
                  "chat Ann /checkcd\n"
                  "clock -100\n"),
              "[chat Ann] Vault: Not on PVPVE Cooldown \n"
              "[clock] +45 s, now +45 s from the real clock\n"
              "[chat Ann] Vault: Combat cooldown: 15 seconds\n"
              "[chat Cid] Vault: Combat cooldown: 15 seconds\n"
              "[clock] +15 s, now +60 s from the real clock\n"
              "[chat Ann] Vault: Not on PVPVE Cooldown \n"
              "[clock] -100 s, now -40 s from the real clock\n");
}

TEST_F(PlayerCommands, PermGrantsAndRevokesWhatTheCommandsRequire) {
    Config()["commands"]["saveVault"]["requiredPermission"] = "Vault.Save";
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "chat Ann /savevault base\n"
                  "perm Ann grant Vault.Save\n"
                  "chat Ann /savevault base\n"
                  "perm Ann revoke Vault.Save\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "chat Ann /savevault base\n"),
              "PrimalItemResource_Wood_C_N\n"
              "[chat Ann] Vault: No permission\n"
              "PrimalItemResource_Wood_C_N\n"
              "[chat Ann] Vault: No permission\n");
    EXPECT_EQ(db_.Scalar("SELECT COUNT(*) FROM u_vault"), "1");
}

TEST_F(PlayerCommands, PointsPayForALoadNearATransmitter) {
    Config()["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Config()["nearTransmiterPoints"] = 40;
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "chat Ann /savevault base\n"
                  "place TekTransmitter 0 0 0\n"
                  "points Ann\n"
                  "chat Ann /loadvault base\n"
                  "points Ann 100\n"
                  "chat Ann /loadvault base\n"
                  "points Ann\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "TekTransmitter_C_N\n"
              "[points Ann] 0\n"
              "[log] [Lockbury][info] Took 0 seconds to load from mysql\n"
              "[chat Ann] Vault: Not enough points\n"
              "[points Ann] 100\n"
              "[log] [Lockbury][info] Took 0 seconds to load from mysql\n"
              "[chat Ann] Vault: 40 points taken\n"
              "[points Ann] 60\n"
              "[inv Ann] PrimalItemResource_Wood_C_N PrimalItemResource_Wood qty=5\n");
}

TEST_F(PlayerCommands, GametimeRestartsSpoilingOfWhatComesBack) {
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemConsumable_RawMeat 2 spoil=600\n"
                  "chat Ann /savevault food\n"
                  "gametime +250\n"
                  "chat Ann /loadvault food\n"
                  "inv Ann\n"),
              "PrimalItemConsumable_RawMeat_C_N\n"
              "[gametime] 250 s\n"
              "[log] [Lockbury][info] Took 0 seconds to load from mysql\n"
              "[inv Ann] PrimalItemConsumable_RawMeat_C_N PrimalItemConsumable_RawMeat qty=2 spoils-at=850\n");
}

TEST_F(PlayerCommands, ReloadStartsTheCooldownsAfresh) {
    Config()["commandCoolDown"] = 30;
    // The seconds left follow the real clock, which may tick between the two saves.
    Config()["messages"]["coolDown"] = "On cooldown";
    EXPECT_EQ(Run("join Ann 1\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "chat Ann /savevault base\n"
                  "give Ann PrimalItemResource_Wood 5\n"
                  "chat Ann /savevault base\n"
                  "reload\n"
                  "chat Ann /savevault base\n"
                  "inv Ann\n"),
              "PrimalItemResource_Wood_C_N\n"
              "PrimalItemResource_Wood_C_N\n"
              "[chat Ann] Vault: On cooldown\n"
              "[inv Ann] empty\n");
    EXPECT_EQ(db_.Scalar("SELECT COUNT(*) FROM u_vault"), "2");
}

}  // namespace
}  // namespace ServerTests
