#include "DatabaseProbe.h"

#include <mysql.h>

namespace LockburyServer {

DatabaseProbe::DatabaseProbe() = default;

DatabaseProbe::~DatabaseProbe() {
    if (handle_) mysql_close(handle_);
}

bool DatabaseProbe::Connect(const DatabaseTarget& target, unsigned timeoutSeconds) {
    if (handle_) mysql_close(handle_);
    handle_ = mysql_init(nullptr);
    if (!handle_) {
        error_ = "out of memory for a client handle";
        return false;
    }
    mysql_options(handle_, MYSQL_OPT_CONNECT_TIMEOUT, &timeoutSeconds);
    mysql_options(handle_, MYSQL_OPT_READ_TIMEOUT, &timeoutSeconds);
    if (!mysql_real_connect(handle_, target.host.c_str(), target.user.c_str(), target.password.c_str(),
                            target.database.c_str(), target.port, nullptr, 0)) {
        error_ = "error " + std::to_string(mysql_errno(handle_)) + ": " + mysql_error(handle_);
        mysql_close(handle_);
        handle_ = nullptr;
        return false;
    }
    error_.clear();
    return true;
}

std::optional<std::string> DatabaseProbe::Scalar(const std::string& sql) {
    if (!handle_ || mysql_real_query(handle_, sql.data(), sql.size()) != 0) return std::nullopt;
    MYSQL_RES* result = mysql_store_result(handle_);
    if (!result) return std::nullopt;
    std::optional<std::string> value;
    MYSQL_ROW row = mysql_fetch_row(result);
    if (row && mysql_num_fields(result) > 0) value = row[0] ? row[0] : "";
    mysql_free_result(result);
    return value;
}

}  // namespace LockburyServer
