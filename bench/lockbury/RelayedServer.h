#pragma once
// A bench server whose plugin reaches the database through a relay of its own, so that its
// statements can be counted and its network slowed down or made to fail.
#include <nlohmann/json.hpp>

#include <string>

#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/RawDatabase.h"
#include "support/Relay.h"

namespace Bench {

struct RelayedServer {
    RelayedServer(const DbServer& db, const std::string& database,
                  const nlohmann::ordered_json& overrides = nlohmann::ordered_json::object());

    // Declared first: the plugin lets go of its connection before the relay stops.
    TestSupport::Relay relay;
    BenchServer game;
};

}  // namespace Bench
