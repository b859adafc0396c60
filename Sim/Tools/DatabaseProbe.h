#pragma once
// Asks a MySQL/MariaDB server whether it answers with the given account; what it holds of
// Lockbury's is then asked through Survey(). Owns one connection.
#include <string>

#include "Database/Mysql/Connection.h"
#include "Database/StoreSurvey.h"

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

    // The store's typed questions, on this connection.
    StoreSurvey& Survey() { return survey_; }

private:
    ledra::mysql::connection db_;
    StoreSurvey survey_{db_};
    std::string error_;
};

}  // namespace LockburyServer
