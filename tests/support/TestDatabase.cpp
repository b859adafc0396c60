#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "Database/Mysql/Connection.h"

namespace TestSupport {
namespace {

// The variable, or its line in the env file scripts/db writes (a plain `ctest` starts the
// database as a fixture, whose environment the tests do not inherit).
std::string Env(const char* name, const char* fallback = "") {
    if (const char* v = std::getenv(name)) return v;
    const char* dir = std::getenv("LOCKBURY_DB_DIR");
    std::ifstream file(std::string(dir ? dir : LOCKBURY_SOURCE_DIR "/build/db") + "/env");
    const std::string prefix = std::string("export ") + name + "=";
    for (std::string line; std::getline(file, line);)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return fallback;
}

}  // namespace

ledra::mysql::connection_options OptionsOf(const DbParams& p) {
    ledra::mysql::connection_options options;
    options.host = p.host;
    options.user = p.user;
    options.password = p.password;
    options.database = p.database;
    options.port = static_cast<std::uint32_t>(p.port);
    return options;
}

namespace {

// One statement over a connection of its own, so a test's statements never share a session's
// state (a transaction, a variable) with the plugin's.
std::vector<Row> Run(const DbParams& p, const std::string& sql) {
    ledra::mysql::connection db;
    if (!db.open(OptionsOf(p))) {
        throw std::runtime_error("cannot reach the test database at " + p.host + ":" + std::to_string(p.port) + ": " +
                                 db.last_error_text() + " (start it with scripts/db start)");
    }
    // On a Galera node, a read waits until the node has applied what the others committed, so a
    // test sees the rows a server on another node wrote. Unknown to a server without it: ignored.
    db.query("SET SESSION wsrep_sync_wait = 1");
    ledra::mysql::results result = db.query(sql);
    if (!result.succeeded()) throw std::runtime_error("query failed: " + db.last_error_text() + " in: " + sql);
    std::vector<Row> rows;
    for (; !result.at_end(); result.next()) {
        Row& row = rows.emplace_back(result.columns());
        for (unsigned i = 0; i < result.columns(); ++i)
            if (std::string value; result.get(i, value)) row[i] = std::move(value);
    }
    return rows;
}

}  // namespace

DbParams ServerParams() {
    DbParams p;
    p.host = Env("LOCKBURY_DB_HOST", "127.0.0.1");
    p.user = Env("LOCKBURY_DB_USER", "lockbury");
    p.password = Env("LOCKBURY_DB_PASS", "lockbury");
    std::string port = Env("LOCKBURY_DB_PORT");
    if (port.empty()) {
        ADD_FAILURE() << "LOCKBURY_DB_PORT is not set: the tests need the private MariaDB (scripts/db start)";
        throw std::runtime_error("no test database");
    }
    p.port = std::stoi(port);
    return p;
}

ScratchDatabase::ScratchDatabase() {
    static std::atomic<int> counter{0};
    params_ = ServerParams();
    std::string name = "lbt_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    Run(params_, "DROP DATABASE IF EXISTS " + name);
    Run(params_, "CREATE DATABASE " + name);
    params_.database = name;
    // The other nodes of a cluster apply the CREATE a moment later: a server attached to one of
    // them connects only once its read (synced, see Run) has seen it.
    for (const int node : {2, 3}) {
        DbParams other = OnNode(node);
        if (other.port == params_.port) continue;
        other.database.clear();
        Run(other, "SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = '" + name + "'");
    }
}

ScratchDatabase::~ScratchDatabase() {
    try {
        DbParams server = params_;
        server.database.clear();
        Run(server, "DROP DATABASE IF EXISTS " + params_.database);
    } catch (const std::exception&) {
        // The server may have been stopped on purpose by the test.
    }
}

DbParams ScratchDatabase::OnNode(int node) const {
    DbParams p = params_;
    const char* variable = node == 2 ? "LOCKBURY_DB_SECOND_PORT" : node == 3 ? "LOCKBURY_DB_THIRD_PORT" : nullptr;
    if (variable == nullptr) return p;
    if (const std::string port = Env(variable); !port.empty()) p.port = std::stoi(port);
    return p;
}

std::vector<Row> ScratchDatabase::Query(const std::string& sql) const { return Run(params_, sql); }

std::string ScalarAt(const DbParams& params, const std::string& sql) {
    auto rows = Run(params, sql);
    if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value from: " + sql);
    return rows[0][0].value_or("");
}

std::string ScratchDatabase::Scalar(const std::string& sql) const { return ScalarAt(params_, sql); }

}  // namespace TestSupport
