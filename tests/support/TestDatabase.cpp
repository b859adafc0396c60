#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <mysql.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

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

struct Handle {
    MYSQL* mysql = nullptr;
    ~Handle() {
        if (mysql) mysql_close(mysql);
    }
};

std::unique_ptr<Handle> Connect(const DbParams& p) {
    auto h = std::make_unique<Handle>();
    h->mysql = mysql_init(nullptr);
    if (!h->mysql) throw std::runtime_error("mysql_init failed");
    if (!mysql_real_connect(h->mysql, p.host.c_str(), p.user.c_str(), p.password.c_str(),
                            p.database.empty() ? nullptr : p.database.c_str(), static_cast<unsigned>(p.port), nullptr, 0)) {
        throw std::runtime_error("cannot reach the test database at " + p.host + ":" + std::to_string(p.port) + ": " +
                                 mysql_error(h->mysql) + " (start it with scripts/db start)");
    }
    return h;
}

std::vector<Row> Run(const DbParams& p, const std::string& sql) {
    auto h = Connect(p);
    if (mysql_real_query(h->mysql, sql.data(), sql.size()) != 0) {
        throw std::runtime_error("query failed: " + std::string(mysql_error(h->mysql)) + " in: " + sql);
    }
    std::vector<Row> rows;
    MYSQL_RES* res = mysql_store_result(h->mysql);
    if (!res) return rows;
    unsigned n = mysql_num_fields(res);
    while (MYSQL_ROW r = mysql_fetch_row(res)) {
        unsigned long* lengths = mysql_fetch_lengths(res);
        Row row;
        for (unsigned i = 0; i < n; ++i) {
            if (r[i])
                row.emplace_back(std::string(r[i], lengths[i]));
            else
                row.emplace_back(std::nullopt);
        }
        rows.push_back(std::move(row));
    }
    mysql_free_result(res);
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

std::vector<Row> ScratchDatabase::Query(const std::string& sql) const { return Run(params_, sql); }

std::string ScalarAt(const DbParams& params, const std::string& sql) {
    auto rows = Run(params, sql);
    if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value from: " + sql);
    return rows[0][0].value_or("");
}

std::string ScratchDatabase::Scalar(const std::string& sql) const { return ScalarAt(params_, sql); }

}  // namespace TestSupport
