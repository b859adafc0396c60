#pragma once
// An administrator's RCON tool connected to the simulated server: it sends one command packet at a
// time, and the game's RCONClientConnection.SendMessageW hands it the replies.
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace Sim {

class RconClient {
public:
    RconClient();
    ~RconClient();
    RconClient(const RconClient&) = delete;
    RconClient& operator=(const RconClient&) = delete;

    // The connection as the game hands it to a command.
    RCONClientConnection* Connection();
    // The next command packet of this client, with a fresh id; earlier replies are dropped.
    RCONPacket Command(const std::string& utf8Line);
    // The replies to the last command, in the order they were sent (UTF-8).
    std::vector<std::string> TakeReplies();

    // Registers the game's RCONClientConnection.SendMessageW; returns the name it registered.
    static std::string RegisterGameFunction();

private:
    static void SendMessageW(RCONClientConnection* self, int id, int type, FString* message);

    int lastId_ = 0;
    std::vector<std::string> replies_;
};

}  // namespace Sim
