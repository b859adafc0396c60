#pragma once
// A connection of the benchmark's own, for set-up and for the floor: statements go straight to
// the server through the connection layer, the client library's thin owner, with nothing of the
// store around them.
#include <string>
#include <vector>

#include "Database/Mysql/Connection.h"

namespace Bench {

struct DbServer {
    std::string host, user, password;
    unsigned port = 0;
    // From LOCKBURY_DB_HOST / _PORT / _USER / _PASS (scripts/db start prints them).
    static DbServer FromEnvironment();
};

class RawDatabase {
public:
    // An empty database name connects to none (to make or drop one).
    RawDatabase(const DbServer& server, const std::string& database);

    // Runs a statement; throws std::runtime_error with the server's message when it fails.
    void Exec(const std::string& sql);
    // Runs a SELECT and reads every column of every row into texts, as a reader of rows would.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);

private:
    ledra::mysql::results Run(const std::string& sql, const char* what);

    ledra::mysql::connection db_;
};

}  // namespace Bench
