#include "Database/Mysql/Connection.h"

#include <mysql.h>

#include "Database/Mysql/ErrorCodes.h"

namespace ledra::mysql {

connection::~connection() { close(); }

bool connection::open(const connection_options& options) {
    std::lock_guard lock(mutex_);
    options_ = options;
    return open_locked(options);
}

bool connection::reopen(std::uint32_t connect_timeout) {
    std::lock_guard lock(mutex_);
    close_locked();
    if (!options_) return false;
    if (connect_timeout == 0) return open_locked(*options_);
    connection_options options = *options_;
    options.connect_timeout = connect_timeout;
    return open_locked(options);
}

bool connection::open_locked(const connection_options& options) {
    close_locked();  // never leak a handle held before
    MYSQL* handle = mysql_init(nullptr);
    if (!handle) return false;
    if (options.reconnect) {
        my_bool reconnect = 1;
        mysql_options(handle, MYSQL_OPT_RECONNECT, &reconnect);
    }
    if (!options.charset_name.empty()) mysql_options(handle, MYSQL_SET_CHARSET_NAME, options.charset_name.c_str());
    if (!options.init_command.empty()) mysql_options(handle, MYSQL_INIT_COMMAND, options.init_command.c_str());
    if (options.connect_timeout > 0) {
        unsigned int seconds = options.connect_timeout;
        mysql_options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &seconds);
    }
    if (options.read_timeout > 0) {
        unsigned int seconds = options.read_timeout;
        mysql_options(handle, MYSQL_OPT_READ_TIMEOUT, &seconds);
    }
    if (options.write_timeout > 0) {
        unsigned int seconds = options.write_timeout;
        mysql_options(handle, MYSQL_OPT_WRITE_TIMEOUT, &seconds);
    }
    if (!mysql_real_connect(handle, options.host.c_str(), options.user.c_str(), options.password.c_str(),
                            options.database.c_str(), options.port, nullptr, 0)) {
        last_error_ = mysql_errno(handle);
        last_error_text_ = mysql_error(handle);
        mysql_close(handle);
        return false;
    }
    handle_ = handle;
    return true;
}

void connection::close() {
    std::lock_guard lock(mutex_);
    close_locked();
}

void connection::close_locked() {
    if (handle_) mysql_close(handle_);
    handle_ = nullptr;
}

bool connection::is_open() const {
    std::lock_guard lock(mutex_);
    return handle_ != nullptr;
}

unsigned long connection::session_id() const {
    std::lock_guard lock(mutex_);
    return handle_ ? mysql_thread_id(handle_) : 0;
}

std::string connection::server_version() const {
    std::lock_guard lock(mutex_);
    const char* text = handle_ ? mysql_get_server_info(handle_) : nullptr;
    return text ? std::string(text) : std::string();
}

unsigned connection::last_error() const {
    std::lock_guard lock(mutex_);
    return last_error_;
}

std::string connection::last_error_text() const {
    std::lock_guard lock(mutex_);
    return last_error_ == 0 && last_error_text_.empty() ? std::string("not connected") : last_error_text_;
}

results connection::query(const std::string& text) {
    std::lock_guard lock(mutex_);
    last_error_ = 0;
    last_error_text_.clear();
    if (!handle_) return {};
    auto failed = [&](unsigned code) {
        last_error_ = code;
        last_error_text_ = mysql_error(handle_);
        return results{};
    };
    if (mysql_real_query(handle_, text.data(), static_cast<unsigned long>(text.size())) != 0)
        return failed(mysql_errno(handle_));
    if (const unsigned code = mysql_errno(handle_); errors::is_connection_lost(code)) return failed(code);
    MYSQL_RES* result = mysql_store_result(handle_);
    // A statement with a result set whose rows did not arrive has not succeeded.
    if (!result && mysql_field_count(handle_) != 0) return failed(mysql_errno(handle_));
    results out(handle_, result);
    out.affected_rows_ = result ? 0 : mysql_affected_rows(handle_);
    out.insert_id_ = mysql_insert_id(handle_);
    return out;
}

std::string connection::escape(const std::string& text, char quote) {
    if (!is_open()) reopen();
    std::lock_guard lock(mutex_);
    if (!handle_) return escape_by_hand(text);
    if (handle_->server_status & SERVER_STATUS_NO_BACKSLASH_ESCAPES) {
        // Backslashes are plain characters in this mode; the enclosing quote is written twice.
        std::string out;
        out.reserve(text.size());
        for (char c : text) {
            if (c == quote) out += c;
            out += c;
        }
        return out;
    }
    std::string out(text.size() * 2 + 1, '\0');
    const unsigned long length =
        mysql_real_escape_string(handle_, out.data(), text.data(), static_cast<unsigned long>(text.size()));
    if (length == static_cast<unsigned long>(-1)) return escape_by_hand(text);
    out.resize(length);
    return out;
}

std::string escape_by_hand(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 2);
    for (char c : text) {
        switch (c) {
            case '\0': out += "\\0"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            case '\'': out += "\\'"; break;
            case '"': out += "\\\""; break;
            case '\x1a': out += "\\Z"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace ledra::mysql
