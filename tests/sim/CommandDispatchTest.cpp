// Chat and console lines reach the command whose name is their first word, ignoring case, and
// what handlers send comes back to the player in order.
#include <gtest/gtest.h>

#include "HostRuntime/Commands.h"
#include "Sim/Colours.h"
#include "support/PluginServer.h"

namespace {

using TestSupport::Texts;

class CommandDispatch : public ::testing::Test {
protected:
    ~CommandDispatch() override {
        ArkApi::GetCommands().RemoveChatCommand(FString("/Save"));
        ArkApi::GetCommands().RemoveChatCommand(FString("/Save"));
        ArkApi::GetCommands().RemoveChatCommand(FString("/list"));
        ArkApi::GetCommands().RemoveConsoleCommand(FString("dumpi"));
    }
    TestSupport::PluginServer server;
};

TEST_F(CommandDispatch, AChatLineReachesTheCommandOfItsFirstWordIgnoringCase) {
    Sim::Player& ann = server.Join("Ann", 76561198000000001ull);
    std::vector<std::string> lines;
    ArkApi::GetCommands().AddChatCommand(
        FString("/Save"), [&](AShooterPlayerController* pc, FString* line, EChatSendMode::Type) {
            lines.push_back(line->ToString());
            ArkApi::GetApiUtils().SendServerMessage(pc, Sim::Colours::Green(), "saved {}", 3);
        });
    ArkApi::GetCommands().AddChatCommand(FString("/list"),
                                         [&](AShooterPlayerController* pc, FString*, EChatSendMode::Type) {
                                             ArkApi::GetApiUtils().SendChatMessage(pc, FString("Vault"), "none");
                                         });
    // As the framework's table: a name added again is kept, but the first added wins.
    ArkApi::GetCommands().AddChatCommand(
        FString("/SAVE"), [&](AShooterPlayerController*, FString*, EChatSendMode::Type) { lines.push_back("second"); });
    EXPECT_EQ(server.ChatCommands(), (std::vector<std::string>{"/Save", "/list", "/SAVE"}));

    EXPECT_TRUE(server.Chat(ann, "/save base one"));
    EXPECT_TRUE(server.Chat(ann, "  /SAVE   x"));
    EXPECT_TRUE(server.Chat(ann, "/LIST"));
    EXPECT_FALSE(server.Chat(ann, "/saveall base"));
    EXPECT_FALSE(server.Chat(ann, "hello /save"));
    EXPECT_FALSE(server.Chat(ann, "   "));

    EXPECT_EQ(lines, (std::vector<std::string>{"/save base one", "  /SAVE   x"}));
    ASSERT_EQ(ann.Received().size(), 3u);
    EXPECT_EQ(Texts(ann), (std::vector<std::string>{"saved 3", "saved 3", "none"}));
    EXPECT_EQ(ann.Received()[0].kind, Sim::Output::Kind::Server);
    EXPECT_EQ(ann.Received()[0].colour, Sim::Colours::Green());
    EXPECT_EQ(ann.Received()[2].kind, Sim::Output::Kind::Chat);
    EXPECT_EQ(ann.Received()[2].sender, "Vault");

    EXPECT_TRUE(ArkApi::GetCommands().RemoveChatCommand(FString("/save")));
    EXPECT_EQ(server.ChatCommands(), (std::vector<std::string>{"/list", "/SAVE"}));
    EXPECT_TRUE(server.Chat(ann, "/save base"));
    EXPECT_EQ(lines.back(), "second") << "removing a name removes its first entry";
    EXPECT_TRUE(ArkApi::GetCommands().RemoveChatCommand(FString("/save")));
    EXPECT_FALSE(server.Chat(ann, "/save base"));
    EXPECT_EQ(server.ChatCommands(), (std::vector<std::string>{"/list"}));
}

TEST_F(CommandDispatch, AConsoleLineGetsTheControllerAndAnEscapedErrorIsKeptNotThrown) {
    Sim::Player& ann = server.Join("Ann", 1);
    APlayerController* seen = nullptr;
    ArkApi::GetCommands().AddConsoleCommand(FString("dumpi"), [&](APlayerController* pc, FString* line, bool) {
        seen = pc;
        if (line->ToString() == "dumpi fail") throw std::runtime_error("boom");
    });
    EXPECT_TRUE(server.Console(ann, "DumpI"));
    EXPECT_EQ(static_cast<void*>(seen), static_cast<void*>(ann.Controller()));
    EXPECT_TRUE(server.EscapedErrors().empty());
    EXPECT_TRUE(server.Console(ann, "dumpi fail"));
    ASSERT_EQ(server.EscapedErrors().size(), 1u);
    EXPECT_NE(server.EscapedErrors()[0].find("boom"), std::string::npos);
    EXPECT_NE(server.EscapedErrors()[0].find("dumpi"), std::string::npos);
    EXPECT_FALSE(server.Chat(ann, "dumpi")) << "console commands are not chat commands";
}

TEST_F(CommandDispatch, NotificationsKeepScaleTimeAndUnicodeText) {
    Sim::Player& ann = server.Join("Ann", 1);
    const FString text(L"Tresor «Zoë» 🦖");
    ArkApi::GetApiUtils().SendNotification(ann.Controller(), Sim::Colours::Red(), 1.3f, 15.0f, nullptr, *text);
    ASSERT_EQ(ann.Received().size(), 1u);
    const Sim::Output& out = ann.Received()[0];
    EXPECT_EQ(out.kind, Sim::Output::Kind::Notify);
    EXPECT_EQ(out.text, "Tresor «Zoë» 🦖");
    EXPECT_FLOAT_EQ(out.scale, 1.3f);
    EXPECT_FLOAT_EQ(out.seconds, 15.0f);
    EXPECT_FALSE(out.hasIcon);
    EXPECT_FALSE(out.hasSound);
}

}  // namespace
