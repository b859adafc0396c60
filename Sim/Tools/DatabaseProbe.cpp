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

std::optional<std::string> DatabaseProbe::Scalar(const std::string& sql) {
    ledra::mysql::results result = db_.query(sql);
    if (result.columns() == 0 || result.at_end()) return std::nullopt;  // failed, or no row
    std::string value;
    result.get(0, value);  // NULL leaves it empty
    return value;
}

}  // namespace LockburyServer
