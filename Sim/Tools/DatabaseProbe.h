#pragma once
// Asks a MySQL/MariaDB server whether it answers with the given account, and what it holds of
// Lockbury's: the vault table's row count and the decay event. Owns one connection.
#include <optional>
#include <string>

#include "Database/Mysql/Connection.h"

namespace LockburyServer {

struct DatabaseTarget {
    std::string host, user, password, database;
    unsigned port = 3306;
};

class DatabaseProbe {
public:
    // True when the server accepted the connection; otherwise Error() says why. Connecting and
    // every statement wait at most timeoutSeconds.
    bool Connect(const DatabaseTarget& target, unsigned timeoutSeconds);
    const std::string& Error() const { return error_; }

    // The first column of the first row of a query ("" for NULL), or nothing when it failed or
    // gave no row.
    std::optional<std::string> Scalar(const std::string& sql);

private:
    ledra::mysql::connection db_;
    std::string error_;
};

}  // namespace LockburyServer
