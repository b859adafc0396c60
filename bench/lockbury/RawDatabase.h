#pragma once
// A client-library connection of the benchmark's own, for set-up and for the floor: statements
// go straight to the server with nothing around them.
#include <cstdint>
#include <string>
#include <vector>

struct st_mysql;

namespace Bench {

struct DbServer {
    std::string host, user, password;
    unsigned port = 0;
    // From LOCKBURY_DB_HOST / _PORT / _USER / _PASS (scripts/db start prints them).
    static DbServer FromEnvironment();
};

class RawDatabase {
public:
    RawDatabase(const DbServer& server, const std::string& database);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    // Runs a statement; throws std::runtime_error with the server's message when it fails.
    void Exec(const std::string& sql);
    // Runs a SELECT and reads every column of every row into texts, as a reader of rows would.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);

private:
    st_mysql* handle_ = nullptr;
};

}  // namespace Bench
