// An RCON line reaches the command whose name is its first word, ignoring case, with the whole
// packet; what the command sends back through the connection reaches the client that sent it.
#include <gtest/gtest.h>

#include "HostRuntime/Commands.h"
#include "support/PluginServer.h"

namespace {

using Strings = std::vector<std::string>;

class RconCommand : public ::testing::Test {
protected:
    ~RconCommand() override {
        ArkApi::GetCommands().RemoveRconCommand(FString("Vaults"));
        ArkApi::GetCommands().RemoveRconCommand(FString("fail"));
    }
    TestSupport::PluginServer server;
};

TEST_F(RconCommand, ALineReachesItsCommandAndTheRepliesReachTheSenderInOrder) {
    std::vector<int> ids;
    UWorld* seenWorld = nullptr;
    ArkApi::GetCommands().AddRconCommand(FString("Vaults"),
                                         [&](RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
                                             ids.push_back(packet->Id);
                                             seenWorld = world;
                                             FString echo = FString("got: ") + packet->Body;
                                             FString second(L"Tresor «Zoë»\nline two");
                                             connection->SendMessageW(packet->Id, 0, &echo);
                                             connection->SendMessageW(packet->Id, 0, &second);
                                         });
    int secondCalls = 0;
    ArkApi::GetCommands().AddRconCommand(FString("VAULTS"), [&](auto...) { ++secondCalls; });
    EXPECT_EQ(server.RconCommands(), (Strings{"Vaults", "VAULTS"})) << "the framework takes a name twice";
    EXPECT_TRUE(server.ConsoleCommands().empty()) << "RCON commands are a table of their own";

    EXPECT_EQ(server.Rcon("vaults 7656119"), (Strings{"got: vaults 7656119", "Tresor «Zoë»\nline two"}));
    EXPECT_EQ(server.Rcon("  VAULTS"), (Strings{"got:   VAULTS", "Tresor «Zoë»\nline two"}));
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], ids[1]) << "each packet has its own id";
    EXPECT_NE(seenWorld, nullptr);
    EXPECT_EQ(seenWorld, ArkApi::GetApiUtils().GetWorld());
    EXPECT_EQ(secondCalls, 0) << "the first added wins";

    EXPECT_EQ(server.Rcon("vaultsall x"), Strings{"unknown command \"vaultsall\""});
    EXPECT_TRUE(ArkApi::GetCommands().RemoveRconCommand(FString("vaults")));
    EXPECT_TRUE(server.Rcon("vaults").empty()) << "the second takes the name once the first is removed";
    EXPECT_EQ(secondCalls, 1);
    EXPECT_TRUE(ArkApi::GetCommands().RemoveRconCommand(FString("vaults")));
    EXPECT_FALSE(ArkApi::GetCommands().RemoveRconCommand(FString("vaults")));
    EXPECT_EQ(server.Rcon("vaults 7656119"), Strings{"unknown command \"vaults\""});
    EXPECT_TRUE(server.RconCommands().empty());
    EXPECT_TRUE(server.EscapedErrors().empty());
}

TEST_F(RconCommand, AnEscapedErrorOrAReplyTheClientCouldNotMatchIsKeptNotThrown) {
    ArkApi::GetCommands().AddRconCommand(FString("fail"),
                                         [](RCONClientConnection* connection, RCONPacket* packet, UWorld*) {
                                             FString text("partial");
                                             connection->SendMessageW(packet->Id, 0, &text);
                                             if (packet->Body == FString("fail id"))
                                                 connection->SendMessageW(packet->Id + 1, 0, &text);
                                             if (packet->Body == FString("fail type"))
                                                 connection->SendMessageW(packet->Id, 2, &text);
                                             throw std::runtime_error("boom");
                                         });
    EXPECT_EQ(server.Rcon("fail"), Strings{"partial"}) << "what was sent before the error stays sent";
    EXPECT_EQ(server.Rcon("fail id"), Strings{"partial"});
    EXPECT_EQ(server.Rcon("fail type"), Strings{"partial"});
    const Strings errors = server.EscapedErrors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find("rcon command 'fail': boom"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("RCONClientConnection.SendMessageW called with packet id"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("packet type 2"), std::string::npos) << errors[2];
}

}  // namespace
