#include "bench/lockbury/RelayedServer.h"

namespace Bench {
namespace {

// The relay listens on the loopback only, and a host named "localhost" would make the client
// library take the Unix socket past it.
DbServer Through(const DbServer& db, const TestSupport::Relay& relay) {
    DbServer relayed = db;
    relayed.host = "127.0.0.1";
    relayed.port = static_cast<unsigned>(relay.Port());
    return relayed;
}

}  // namespace

RelayedServer::RelayedServer(const DbServer& db, const std::string& database, const nlohmann::ordered_json& overrides)
    : relay(static_cast<int>(db.port)), game(Through(db, relay), database, overrides) {}

}  // namespace Bench
