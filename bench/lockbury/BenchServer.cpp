#include "bench/lockbury/BenchServer.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "support/TestConfig.h"

namespace Bench {
namespace {

std::filesystem::path MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lockbury-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary server folder");
    return pattern;
}

// The tests' complete configuration, with a decay long enough that nothing expires mid-run.
void WriteConfig(const std::filesystem::path& dir, const DbServer& db, const std::string& database,
                 const nlohmann::ordered_json& overrides) {
    auto config = TestSupport::DefaultConfig({db.host, db.user, db.password, database, static_cast<int>(db.port)});
    config["decay"] = BenchServer::kDecayMinutes;
    config.merge_patch(overrides);
    const auto pluginDir = dir / "ArkApi" / "Plugins" / "Lockbury";
    std::filesystem::create_directories(pluginDir);
    std::ofstream out(pluginDir / "config.json", std::ios::binary | std::ios::trunc);
    out << config.dump(2);
    if (!out) throw std::runtime_error("cannot write config.json");
}

}  // namespace

BenchServer::BenchServer(const DbServer& db, const std::string& database)
    : BenchServer(MakeFolder(), db, database, nlohmann::ordered_json::object()) {}

BenchServer::BenchServer(const DbServer& db, const std::string& database, const nlohmann::ordered_json& overrides)
    : BenchServer(MakeFolder(), db, database, overrides) {}

BenchServer::BenchServer(std::filesystem::path dir, const DbServer& db, const std::string& database,
                         const nlohmann::ordered_json& overrides)
    : Sim::Server(dir), dir_(std::move(dir)) {
    WriteConfig(dir_, db, database, overrides);
    LoadPlugin(LOCKBURY_PLUGIN_PATH);
}

BenchServer::~BenchServer() {
    try {
        if (PluginLoaded()) UnloadPlugin();
    } catch (...) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

}  // namespace Bench
