#pragma once
// A private database on the test server for one test, dropped afterwards. The server comes from
// LOCKBURY_DB_* (scripts/db start); without it the test fails, it never skips.
#include <optional>
#include <string>
#include <vector>

namespace ledra::mysql {
struct connection_options;
}

namespace TestSupport {

struct DbParams {
    std::string host;
    std::string user;
    std::string password;
    std::string database;
    int port = 0;
};

using Row = std::vector<std::optional<std::string>>;

// The private server's parameters (no database chosen). Fails the current test when unset.
DbParams ServerParams();
// What the connection layer needs to reach them.
ledra::mysql::connection_options OptionsOf(const DbParams& params);

// The single value of a one-row, one-column query ("" for NULL), read through a connection of
// its own to any server; throws std::runtime_error with the server's message on failure.
std::string ScalarAt(const DbParams& params, const std::string& sql);

class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const DbParams& Params() const { return params_; }
    // The same database through another node of a cluster: node 2 is LOCKBURY_DB_SECOND_PORT,
    // node 3 LOCKBURY_DB_THIRD_PORT (scripts/cluster). On one server, or when unset, the same
    // parameters as Params(), so a test of two game servers runs unchanged on either.
    DbParams OnNode(int node) const;
    // Runs a statement in this database; throws std::runtime_error with the server's message on failure.
    std::vector<Row> Query(const std::string& sql) const;
    void Exec(const std::string& sql) const { Query(sql); }
    // The single value of a one-row, one-column query ("" for NULL).
    std::string Scalar(const std::string& sql) const;

private:
    DbParams params_;
};

}  // namespace TestSupport
