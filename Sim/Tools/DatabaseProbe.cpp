#include "DatabaseProbe.h"

namespace LockburyServer {

bool DatabaseProbe::Connect(const DatabaseTarget& target, unsigned timeoutSeconds) {
    ledra::mysql::connection_options options;
    options.host = target.host;
    options.user = target.user;
    options.password = target.password;
    options.database = target.database;
    options.port = target.port;
    options.connect_timeout = timeoutSeconds;
    options.read_timeout = timeoutSeconds;
    options.write_timeout = timeoutSeconds;
    if (!db_.open(options)) {
        error_ = "error " + std::to_string(db_.last_error()) + ": " + db_.last_error_text();
        return false;
    }
    error_.clear();
    return true;
}

}  // namespace LockburyServer
