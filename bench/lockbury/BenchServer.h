#pragma once
// A simulated dedicated server over a temporary folder, with the real plugin library loaded and
// configured for one database (no cooldown, no guard), removed again at the end.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "Sim/Server.h"
#include "bench/lockbury/RawDatabase.h"

namespace Bench {

class BenchServer : public Sim::Server {
public:
    static constexpr int kDecayMinutes = 60 * 24 * 7;

    BenchServer(const DbServer& db, const std::string& database);
    // The same, with `overrides` merged into the configuration (e.g. the store's time-outs).
    BenchServer(const DbServer& db, const std::string& database, const nlohmann::ordered_json& overrides);
    ~BenchServer();

private:
    BenchServer(std::filesystem::path dir, const DbServer& db, const std::string& database,
                const nlohmann::ordered_json& overrides);
    std::filesystem::path dir_;
};

}  // namespace Bench
