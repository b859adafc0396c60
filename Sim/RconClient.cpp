#include "Sim/RconClient.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "HostRuntime/Registry.h"
#include "Sim/GameText.h"

namespace Sim {

namespace {

constexpr int kCommandPacket = 2;  // SERVERDATA_EXECCOMMAND
constexpr int kReplyPacket = 0;  // SERVERDATA_RESPONSE_VALUE

// The clients connected now: a handle that is none of them is a plugin fault, not a place to write.
std::vector<RconClient*>& Connected() {
    static std::vector<RconClient*> clients;
    return clients;
}

}  // namespace

RconClient::RconClient() { Connected().push_back(this); }

RconClient::~RconClient() { std::erase(Connected(), this); }

RCONClientConnection* RconClient::Connection() { return reinterpret_cast<RCONClientConnection*>(this); }

RCONPacket RconClient::Command(const std::string& utf8Line) {
    replies_.clear();
    // Id, type and the body's two terminating bytes, as the protocol counts a packet's length.
    const int length = static_cast<int>(std::min<std::size_t>(utf8Line.size() + 10, INT_MAX));
    return RCONPacket{length, ++lastId_, kCommandPacket, GameText(utf8Line)};
}

std::vector<std::string> RconClient::TakeReplies() { return std::move(replies_); }

void RconClient::SendMessageW(RCONClientConnection* self, int id, int type, FString* message) {
    const std::string name = GameNames::RCONClientConnection_SendMessageW.name;
    auto& clients = Connected();
    auto found = std::find(clients.begin(), clients.end(), reinterpret_cast<RconClient*>(self));
    if (found == clients.end()) throw std::logic_error(name + " called on an object that is no RCON connection");
    if (!message) throw std::logic_error(name + " called with a null message");
    RconClient& client = **found;
    // The client matches replies to its commands by id: any other id or type would never be shown.
    if (type != kReplyPacket)
        throw std::logic_error(name + " called with packet type " + std::to_string(type) + "; a reply's type is 0");
    if (id != client.lastId_)
        throw std::logic_error(name + " called with packet id " + std::to_string(id) + "; the command being answered is " +
                               std::to_string(client.lastId_));
    client.replies_.push_back(message->ToString());
}

std::string RconClient::RegisterGameFunction() {
    HostRuntime::Register(GameNames::RCONClientConnection_SendMessageW, &RconClient::SendMessageW);
    return GameNames::RCONClientConnection_SendMessageW.name;
}

}  // namespace Sim
