// Standing near a transmitter, as the save command asks for it: which structures count, found by
// which search, and what a broken "radius" or pattern list does.
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;
const Strings kRefused{"Stand near a transmitter"};

class Transmitter : public TestSupport::PluginStoreTest {
protected:
    Transmitter() { config["commands"]["saveVault"]["requireNearTransmiter"] = true; }
    // Whether a save of alice's passed the proximity guard.
    bool Near(const std::string& vault = "v") {
        const Strings told = Join("alice").Types("/savevault " + vault);
        EXPECT_TRUE(told.empty() || told == kRefused) << (told.empty() ? "" : told[0]);
        return told.empty();
    }
};

TEST_F(Transmitter, NoStructureAroundIsRefused) {
    Start();
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, OctreeHitByObjectNameIgnoringCaseAndPosition) {
    config["validTransmitter"] = {"wall", "KTRANSMIT"};
    Start();
    const std::string name = server.Place("TekTransmitter", {500, 0, 0});
    ASSERT_NE(name.find("TekTransmitter"), std::string::npos);
    EXPECT_TRUE(Near());
}

TEST_F(Transmitter, StructureOutsideTheRadiusDoesNotCount) {
    Start();
    server.Place("TekTransmitter", {1500, 0, 0});
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, ContainerFoundByBlueprintPathOnlyInTheSecondSearch) {
    config["validTransmitter"] = {"Structures/TekTier"};  // in the blueprint path, not in the object name
    Start();
    server.Place("Wall_Wood", {10, 0, 0});
    EXPECT_FALSE(Near());
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_TRUE(Near());
}

TEST_F(Transmitter, NonContainerIsNeverMatchedByBlueprintPath) {
    config["validTransmitter"] = {"Structures/Wooden"};
    Start();
    server.Place("Wall_Wood", {10, 0, 0});
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, EmptyPatternsNeverMatch) {
    config["validTransmitter"] = {"", ""};
    ExpectErrorLog("config.json: validTransmitter[0]: is empty and never matches");
    ExpectErrorLog("config.json: validTransmitter[1]: is empty and never matches");
    Start();
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, SingleStringActsAsAList) {
    config["validTransmitter"] = "tektransmitter";
    ExpectErrorLog("config.json: validTransmitter: must be a list of texts, not string");
    Start();
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_TRUE(Near());
}

TEST_F(Transmitter, AbsentListMatchesNothing) {
    config.erase("validTransmitter");
    Start();
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, NonAsciiPatternMatchesOnlyQuestionMarks) {
    config["validTransmitter"] = {"Tek\xc3\xa9"};  // "Teké": two bytes, two "?"
    Start();
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_FALSE(Near());
}

TEST_F(Transmitter, RadiusIsCutToAWholeNumber) {
    config["radius"] = 300.9;
    Start();
    server.Place("TekTransmitter", {300.5f, 0, 0});
    EXPECT_FALSE(Near("a"));
    server.Place("TekTransmitter", {0, 299.5f, 0});
    EXPECT_TRUE(Near("b"));
}

TEST_F(Transmitter, MissingRadiusFailsTheCommandWithoutAReply) {
    config.erase("radius");
    ExpectErrorLog(
        "(Private/Commands Lockbury::Commands::SaveVault) [json.exception.type_error.302] type must be number, but is null");
    Start();
    server.Place("TekTransmitter", {10, 0, 0});
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    EXPECT_EQ(alice.Types("/savevault v"), Strings{});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_EQ(LogLinesContaining("type must be number, but is null"), 1);
    EXPECT_TRUE(server.EscapedErrors().empty());
}

TEST_F(Transmitter, BadPatternIsNoticedOnlyWhenReached) {
    config["validTransmitter"] = nlohmann::ordered_json::array({"TekTransmitter", 3});
    ExpectErrorLog("config.json: validTransmitter[1]: must be a text, not number");
    Start();
    EXPECT_FALSE(Near("a"));  // no actor found: the 3 is never read
    server.Place("TekTransmitter", {10, 0, 0});
    EXPECT_TRUE(Near("b"));  // the first pattern hits before the 3
    config["validTransmitter"] = nlohmann::ordered_json::array({3, "TekTransmitter"});
    ExpectErrorLog("config.json: validTransmitter[0]: must be a text, not number");
    ExpectErrorLog(
        "(Private/Commands Lockbury::Commands::SaveVault) [json.exception.type_error.302] type must be string, but is number");
    server.WriteConfig(config);
    server.ReloadPlugin();
    server.ClearLog();
    auto& alice = Join("alice");
    EXPECT_EQ(alice.Types("/savevault c"), Strings{});
    EXPECT_EQ(LogLinesContaining("type must be string, but is number"), 1);
}

TEST_F(Transmitter, ResourceRowsCarryTheClassBlueprintPath) {
    config["commands"]["saveVault"]["requireNearTransmiter"] = false;
    Start();
    auto& alice = Join("alice");
    for (const auto& info : Sim::Server::Classes()) {
        if (info.kind == Sim::ClassInfo::Kind::Resource) alice.PicksUp(Item(info.name).Quantity(3));
    }
    alice.Types("/savevault r");
    for (const auto& row : Rows(alice)) {
        bool known = false;
        for (const auto& info : Sim::Server::Classes()) known |= info.blueprintPath == row.blueprint;
        EXPECT_TRUE(known) << row.blueprint;
        EXPECT_EQ(row.blueprint.find("Default__"), std::string::npos);
        EXPECT_EQ(row.blueprint.find("_C'"), std::string::npos);
    }
    EXPECT_FALSE(Rows(alice).empty());
}

}  // namespace
