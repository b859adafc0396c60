#pragma once
// Asks a MySQL/MariaDB server whether it answers with the given account, and what it holds of
// Lockbury's: the vault table's row count and the decay event. Owns one client handle.
#include <optional>
#include <string>

struct st_mysql;

namespace LockburyServer {

struct DatabaseTarget {
    std::string host, user, password, database;
    unsigned port = 3306;
};

class DatabaseProbe {
public:
    DatabaseProbe();
    ~DatabaseProbe();
    DatabaseProbe(const DatabaseProbe&) = delete;
    DatabaseProbe& operator=(const DatabaseProbe&) = delete;

    // True when the server accepted the connection; otherwise Error() says why.
    bool Connect(const DatabaseTarget& target, unsigned timeoutSeconds);
    const std::string& Error() const { return error_; }

    // The first column of the first row of a query, or nothing when it failed or gave no row.
    std::optional<std::string> Scalar(const std::string& sql);

private:
    st_mysql* handle_ = nullptr;
    std::string error_;
};

}  // namespace LockburyServer
