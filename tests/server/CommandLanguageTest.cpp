// The command language itself: what a wrong line prints, that the session goes on after it, and
// the exit status of a script run. No configuration here, so the plugin stays inert.
#include <gtest/gtest.h>

#include "ServerFolder.h"
#include "ServerProcess.h"

namespace ServerTests {
namespace {

const std::string kNoConfig = "[log] [Lockbury][error] Can't open config.json\n";

Finished RunScript(const ServerFolder& folder, const std::string& script, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--server-dir", folder.Dir().string(), "--script", folder.Script(script)};
    args.insert(args.end(), extra.begin(), extra.end());
    return ServerProcess::Run(args);
}

TEST(CommandLanguage, EveryWrongLineSaysWhatWasExpectedAndTheSessionGoesOn) {
    ServerFolder folder;
    auto run = RunScript(folder,
                         "frobnicate\n"
                         "join Ann\n"
                         "join Ann 0\n"
                         "join creature 5\n"
                         "join Ann 76561198000000001\n"
                         "join Ann 76561198000000002\n"
                         "give Ann NoSuchThing\n"
                         "give Ann TekTransmitter\n"
                         "give Ann PrimalItemResource_Wood 0\n"
                         "give Ann PrimalItemResource_Wood 5 sparkly\n"
                         "give Ann PrimalItemResource_Wood 5 slot=x\n"
                         "give Bob PrimalItemResource_Wood\n"
                         "pos Ann 1 2\n"
                         "pos Ann 1 two 3\n"
                         "place PrimalItemResource_Wood 0 0 0\n"
                         "perm Ann give Something\n"
                         "points Ann lots\n"
                         "clock 30\n"
                         "gametime -5\n"
                         "damage Ann dragon\n"
                         "reload now\n"
                         "clock +-5\n"
                         "clock +9223372036854775807\n"
                         "wait -1\n"
                         "inv Ann\n");
    const std::string give =
        "give NAME CLASS [QTY] [slot=N] [engram] [initial] [durability=X] [spoil=SECONDS] [payload=BYTES]";
    EXPECT_EQ(WithoutLogTimes(run.output),
              kNoConfig +
                  "error: line 1: unknown command \"frobnicate\" (help lists the commands)\n"
                  "error: line 2: usage: join NAME STEAMID\n"
                  "error: line 3: STEAMID must be a positive 64-bit number; usage: join NAME STEAMID\n"
                  "error: line 4: \"creature\" stands for a creature in damage; pick another name\n"
                  "error: line 6: a player named \"Ann\" is already here\n"
                  "error: line 7: \"NoSuchThing\" is not an item class (classes lists them)\n"
                  "error: line 8: \"TekTransmitter\" is not an item class (classes lists them)\n"
                  "error: line 9: QTY must be a whole number from 1; usage: " +
                  give +
                  "\n"
                  "error: line 10: unknown option \"sparkly\"; usage: " +
                  give +
                  "\n"
                  "error: line 11: slot=N takes a slot number; usage: " +
                  give +
                  "\n"
                  "error: line 12: no player named \"Bob\" (join NAME STEAMID first)\n"
                  "error: line 13: usage: pos NAME X Y Z\n"
                  "error: line 14: \"two\" is not a number; usage: pos NAME X Y Z\n"
                  "error: line 15: \"PrimalItemResource_Wood\" is not a structure class (classes lists them)\n"
                  "error: line 16: expected grant or revoke, not \"give\"; usage: perm NAME grant|revoke PERMISSION\n"
                  "error: line 17: N must be a whole number of points from 0; usage: points NAME [N]\n"
                  "error: line 18: expected a signed number of seconds; usage: clock +S | clock -S\n"
                  "error: line 19: expected seconds to advance, not less than 0; usage: gametime +S\n"
                  "error: line 20: no player named \"dragon\" (join NAME STEAMID first)\n"
                  "error: line 21: usage: reload\n"
                  "error: line 22: expected a signed number of seconds; usage: clock +S | clock -S\n"
                  "error: line 23: the clock can be shifted at most 3155760000 s (100 years) from the real clock\n"
                  "error: line 24: expected seconds from 0 to 86400; usage: wait S\n"
                  "[inv Ann] empty\n");
    EXPECT_EQ(run.status, 1);
}

TEST(CommandLanguage, ACleanScriptEndsWellAndSkipsBlankAndCommentLines) {
    ServerFolder folder;
    auto run = RunScript(folder, "\n# a comment\n   # an indented comment\n\t\njoin Ann 7\r\ninv Ann\n");
    EXPECT_EQ(WithoutLogTimes(run.output), kNoConfig + "[inv Ann] empty\n");
    EXPECT_EQ(run.status, 0);
}

TEST(CommandLanguage, StandardInputThatIsNotATerminalReadsLikeAScript) {
    ServerFolder folder;
    auto run = ServerProcess::Run({"--server-dir", folder.Dir().string()}, "join Ann 7\nwho\ninv Ann\n");
    EXPECT_EQ(WithoutLogTimes(run.output),
              kNoConfig + "error: line 2: unknown command \"who\" (help lists the commands)\n[inv Ann] empty\n");
    EXPECT_EQ(run.status, 1);
}

TEST(CommandLanguage, NameTagsEveryLineAndVerboseShowsTheCommands) {
    ServerFolder folder;
    auto run = RunScript(folder, "# quiet\njoin Ann 7\necho --- step\ninv Ann\nnope\n", {"--name", "A", "--verbose"});
    EXPECT_EQ(WithoutLogTimes(run.output),
              "[A] [log] [Lockbury][error] Can't open config.json\n"
              "[A] > join Ann 7\n"
              "[A] --- step\n"
              "[A] > inv Ann\n"
              "[A] [inv Ann] empty\n"
              "[A] > nope\n"
              "[A] error: line 5: unknown command \"nope\" (help lists the commands)\n");
}

TEST(CommandLanguage, HelpListsEveryCommand) {
    ServerFolder folder;
    auto run = RunScript(folder, "help\n");
    for (const char* command :
         {"join NAME STEAMID", "leave NAME", "give NAME CLASS", "inv NAME", "pos NAME X Y Z", "place CLASS X Y Z",
          "kill NAME", "revive NAME", "chat NAME TEXT", "console NAME TEXT", "damage VICTIM SOURCE",
          "perm NAME grant|revoke", "points NAME [N]", "clock +S", "wait S", "gametime +S", "reload", "classes", "help"})
        EXPECT_NE(run.output.find(command), std::string::npos) << command;
    EXPECT_EQ(run.status, 0);
}

TEST(CommandLanguage, ClassesNamesEachKnownClassWithItsBlueprintPath) {
    ServerFolder folder;
    auto run = RunScript(folder, "classes\n");
    for (const std::string name :
         {"PrimalItemResource_Wood", "PrimalItemResource_Stone", "PrimalItemResource_Element",
          "PrimalItem_WeaponStoneHatchet", "PrimalItemArmor_ClothShirt", "PrimalItemConsumable_RawMeat",
          "PrimalItem_WeaponEmptyCryopod", "TekTransmitter", "StorageBox_Small", "Wall_Wood"}) {
        std::string start = "\n" + name + " ";
        auto at = ("\n" + run.output).find(start);
        ASSERT_NE(at, std::string::npos) << name;
        std::string line = run.output.substr(at, run.output.find('\n', at) - at);
        EXPECT_NE(line.find("/Game/"), std::string::npos) << line;
        EXPECT_NE(line.find(name + "." + name), std::string::npos) << line;
    }
}

TEST(CommandLanguage, ProgramArgumentsAreChecked) {
    auto none = ServerProcess::Run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.output.find("--server-dir DIR is required"), std::string::npos) << none.output;

    auto unknown = ServerProcess::Run({"--server-dir", "/tmp", "--frob"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown argument \"--frob\""), std::string::npos) << unknown.output;

    for (const char* restore : {"--restore-save-time", "--restore-save-time=maybe"}) {
        auto wrong = ServerProcess::Run({"--server-dir", "/tmp", restore});
        EXPECT_EQ(wrong.status, 2);
        EXPECT_NE(wrong.output.find("--restore-save-time takes =yes or =no"), std::string::npos) << wrong.output;
    }

    auto missingDir = ServerProcess::Run({"--server-dir", "/no/such/folder"});
    EXPECT_EQ(missingDir.status, 3);
    EXPECT_NE(missingDir.output.find("no folder /no/such/folder"), std::string::npos) << missingDir.output;

    ServerFolder folder;
    auto missingScript = ServerProcess::Run({"--server-dir", folder.Dir().string(), "--script", "/no/such.lbs"});
    EXPECT_EQ(missingScript.status, 3);

    auto badPlugin = ServerProcess::Run({"--server-dir", folder.Dir().string(), "--plugin", "/no/such.so"});
    EXPECT_EQ(badPlugin.status, 3);
    EXPECT_NE(badPlugin.output.find("no plugin library at /no/such.so"), std::string::npos) << badPlugin.output;
}

}  // namespace
}  // namespace ServerTests
