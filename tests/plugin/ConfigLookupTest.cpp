// The configuration lookups on the edge cases an administrator's file can hold. These call the
// lookups directly (static library); the plugin-level behaviour is in PluginLifecycleTest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "HostRuntime/HostState.h"
#include "Private/Config/Config.h"

namespace {

using Lockbury::Config;
using json = nlohmann::ordered_json;

class ConfigLookup : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("lockbury-config-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir_ / "ArkApi/Plugins/Lockbury");
        HostRuntime::SetCurrentDir(dir_.string());
        Config() = nullptr;
    }
    void TearDown() override {
        Config() = nullptr;
        std::filesystem::remove_all(dir_);
    }
    void WriteText(const std::string& text) {
        std::ofstream(dir_ / "ArkApi/Plugins/Lockbury/config.json", std::ios::binary) << text;
    }
    void Read(const json& doc) {
        WriteText(doc.dump());
        Lockbury::ReadConfig();
    }
    static FString Text(const char* s) { return FString(s); }

    std::filesystem::path dir_;
};

// The JSON library's error text for a call, or "" when it raised none.
template <typename Call>
std::string ErrorOf(Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST_F(ConfigLookup, MissingFileIsAnErrorNamingTheFile) {
    EXPECT_EQ(ErrorOf([] { Lockbury::ReadConfig(); }), "Can't open config.json");
}

TEST_F(ConfigLookup, ByteOrderMarkAndTrailingTextAreAccepted) {
    WriteText("\xEF\xBB\xBF{\"messages\": {\"sender\": \"Vault\"}} this is not JSON");
    ASSERT_NO_THROW(Lockbury::ReadConfig());
    EXPECT_EQ(Lockbury::ConfiguredMessage("sender").ToString(), "Vault");
}

TEST_F(ConfigLookup, InvalidJsonRaisesTheParseError) {
    WriteText("{\"messages\": ");
    EXPECT_NE(ErrorOf([] { Lockbury::ReadConfig(); }).find("parse_error.101"), std::string::npos);
}

TEST_F(ConfigLookup, TextsAreDecodedFromUtf8AndMissingOnesHaveDefaults) {
    Read({{"commands", {{"saveVault", {{"command", "/sauvegardé"}}}, {"listVault", json::object()}}},
          {"messages", {{"sender", "Coffre ✓"}, {"empty", ""}}}});
    EXPECT_EQ(Lockbury::GetCommandName("saveVault").ToString(), "/sauvegardé");
    EXPECT_EQ(Lockbury::GetCommandName("listVault").ToString(), "no command found");
    EXPECT_EQ(Lockbury::GetRequiredPermission("saveVault").ToString(), "no command found");
    EXPECT_EQ(Lockbury::ConfiguredMessage("sender").ToString(), "Coffre ✓");
    EXPECT_TRUE(Lockbury::ConfiguredMessage("empty").IsEmpty());
    EXPECT_EQ(Lockbury::ConfiguredMessage("coolDown").ToString(), "no message found");
}

TEST_F(ConfigLookup, EmptyPermissionMeansNone) {
    Read({{"commands", {{"saveVault", {{"command", "/s"}, {"requiredPermission", ""}}}}}});
    EXPECT_TRUE(Lockbury::GetRequiredPermission("saveVault").IsEmpty());
}

TEST_F(ConfigLookup, CommandLookupErrors) {
    Read({{"commands", {{"saveVault", {{"command", 7}}}, {"loadVault", "text"}}}});
    EXPECT_NE(ErrorOf([] { Lockbury::GetCommandName("saveVault"); }).find("type_error.302"), std::string::npos);
    EXPECT_NE(ErrorOf([] { Lockbury::GetCommandName("loadVault"); }).find("type_error.306"), std::string::npos);
    // A missing entry is added as null and then refused, now and at every later lookup.
    EXPECT_EQ(ErrorOf([] { Lockbury::GetCommandName("checkcd"); }),
              "[json.exception.type_error.306] cannot use value() with null");
    EXPECT_TRUE(Config()["commands"].contains("checkcd"));
    EXPECT_TRUE(Config()["commands"]["checkcd"].is_null());

    Read({{"commands", "not an object"}});
    EXPECT_NE(ErrorOf([] { Lockbury::GetCommandName("saveVault"); }).find("type_error.305"), std::string::npos);
    Read(json::array({1, 2}));
    EXPECT_EQ(ErrorOf([] { Lockbury::GetCommandName("saveVault"); }),
              "[json.exception.type_error.305] cannot use operator[] with a string argument with array");
}

TEST_F(ConfigLookup, CommandsAbsentMeansEveryEntryIsMissing) {
    Read({{"messages", json::object()}});
    EXPECT_NE(ErrorOf([] { Lockbury::GetCommandName("saveVault"); }).find("type_error.306"), std::string::npos);
}

TEST_F(ConfigLookup, MessageLookupErrors) {
    Read({{"messages", {{"sender", 1}}}});
    EXPECT_NE(ErrorOf([] { Lockbury::ConfiguredMessage("sender"); }).find("type_error.302"), std::string::npos);
    Read({{"commands", json::object()}});
    EXPECT_EQ(ErrorOf([] { Lockbury::ConfiguredMessage("sender"); }),
              "[json.exception.type_error.306] cannot use value() with null");
    EXPECT_TRUE(Config().contains("messages"));
}

TEST_F(ConfigLookup, ListsMatchAnywhereIgnoringCase) {
    Read({{"blocked", json::array({"", "wood"})}, {"resources", "Stone"}});
    EXPECT_TRUE(Lockbury::IsBlocked(Text("PrimalItemResource_Wood_C_12")));
    EXPECT_FALSE(Lockbury::IsBlocked(Text("PrimalItemResource_Stone_C_3")));
    EXPECT_FALSE(Lockbury::IsBlocked(Text("")));
    // One string stands for a list of that string.
    EXPECT_TRUE(Lockbury::IsResource(Text("PrimalItemResource_Stone_C_3")));
    EXPECT_FALSE(Lockbury::IsResource(Text("PrimalItemResource_Wood_C_12")));
}

TEST_F(ConfigLookup, EmptyOrAbsentListsMatchNothing) {
    Read({{"blocked", json::array({""})}, {"resources", json::array()}});
    EXPECT_FALSE(Lockbury::IsBlocked(Text("anything")));
    EXPECT_FALSE(Lockbury::IsResource(Text("anything")));
    Read(json::object());
    EXPECT_FALSE(Lockbury::IsBlocked(Text("anything")));
    EXPECT_TRUE(Config().contains("blocked"));  // the lookup added it as null
}

TEST_F(ConfigLookup, ObjectListsUseTheirValuesInOrder) {
    Read({{"blocked", {{"a", "Metal"}, {"b", 3}}}});
    EXPECT_TRUE(Lockbury::IsBlocked(Text("PrimalItemResource_MetalIngot_C")));
    EXPECT_NE(ErrorOf([&] { Lockbury::IsBlocked(Text("Wood")); }).find("type_error.302"), std::string::npos);
}

TEST_F(ConfigLookup, NonStringEntryRaisesOnTheFirstTest) {
    Read({{"blocked", json::array({3, "Wood"})}});
    EXPECT_EQ(ErrorOf([&] { Lockbury::IsBlocked(Text("Wood")); }),
              "[json.exception.type_error.302] type must be string, but is number");
}

TEST_F(ConfigLookup, NonAsciiEntryMatchesTheNameItSpells) {
    Read({{"blocked", json::array({"Bär"})}});  // read as UTF-8, not byte by byte
    EXPECT_TRUE(Lockbury::IsBlocked(FString(L"PrimalItem_Bär_Trophy")));
    EXPECT_FALSE(Lockbury::IsBlocked(Text("B??r_Trophy")));
    EXPECT_FALSE(Lockbury::IsBlocked(Text("Bar_Trophy")));
}

TEST_F(ConfigLookup, Integers) {
    Read({{"PVPVECooldown", 60.9},
          {"radius", true},
          {"commandCoolDown", "30"},
          {"decay", nullptr},
          {"Database", {{"mysqlPort", 1234}}}});
    EXPECT_EQ(Lockbury::ConfigInt("PVPVECooldown"), 60);
    EXPECT_EQ(Lockbury::ConfigInt("radius"), 1);
    EXPECT_EQ(Lockbury::ConfigInt("mysqlPort", 3306), 3306);
    EXPECT_EQ(ErrorOf([] { Lockbury::ConfigInt("commandCoolDown", 30); }),
              "[json.exception.type_error.302] type must be number, but is string");
    EXPECT_EQ(ErrorOf([] { Lockbury::ConfigInt("nearTransmiterPoints"); }),
              "[json.exception.type_error.302] type must be number, but is null");
    // A member present but null is refused even where a default exists.
    EXPECT_NE(ErrorOf([] { Lockbury::ConfigInt("decay", 5); }).find("type_error.302"), std::string::npos);
}

TEST_F(ConfigLookup, RequireNearTransmitterDefaultsToTrue) {
    Read({{"commands", {{"saveVault", json::object()}, {"loadVault", {{"requireNearTransmiter", false}}}}}});
    EXPECT_TRUE(Lockbury::RequiresNearTransmitter("saveVault"));
    EXPECT_FALSE(Lockbury::RequiresNearTransmitter("loadVault"));
    EXPECT_NE(ErrorOf([] { Lockbury::RequiresNearTransmitter("checkcd"); }).find("type_error.306"), std::string::npos);
}

}  // namespace
