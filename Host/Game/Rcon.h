#pragma once
// The game's RCON: a packet a remote administrator sent, and the connection it came on. Not game
// objects: the game hands them to the RCON command that takes the packet's first word.
#include "../BasicTypes.h"

// Types as the Source RCON protocol numbers them: a command is 2, every reply 0.
struct RCONPacket {
    int Length = 0;
    int Id = 0;
    int Type = 0;
    FString Body;  // the whole command line
};

// One connected RCON client.
class RCONClientConnection {
public:
    // Sends a reply packet to this client; Id is the packet's being answered, Type 0. The name is
    // the game's own (the Windows API macro SendMessage maps to it), so code written for the real
    // server calls it as is.
    void SendMessageW(int Id, int Type, FString* OutGoingMessage) {
        GameNames::RCONClientConnection_SendMessageW(this, Id, Type, OutGoingMessage);
    }
};
