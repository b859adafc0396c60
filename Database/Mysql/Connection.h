#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Database/Mysql/ConnectionOptions.h"
#include "Database/Mysql/Results.h"

namespace ledra::mysql {

// One client-library handle, used by one statement at a time. Failed statements are not
// exceptions: query() gives a results object whose succeeded() is false, and last_error() says why.
class connection : public std::enable_shared_from_this<connection> {
public:
    connection() = default;
    virtual ~connection();

    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // Connects with these options and remembers them for reopen(). False leaves no handle.
    bool open(const connection_options& options);
    void close();
    // Closes whatever is held and connects again with the options of the last open(); a
    // connect_timeout above 0 replaces theirs for this attempt.
    bool reopen(std::uint32_t connect_timeout = 0);
    bool is_open() const;
    // The server's id of this session (0 while closed): how another session names it in KILL.
    unsigned long session_id() const;
    // The server's version text as its handshake gave it ("10.11.6-MariaDB-..."; empty while closed).
    std::string server_version() const;

    // Runs one statement and stores its whole result while holding the lock. On a closed
    // connection it fails at once without calling the client library.
    results query(const std::string& text);
    // The client error code of the last failed query or connect (0 when a query failed for want
    // of a handle), and the library's text for it.
    unsigned last_error() const;
    std::string last_error_text() const;

    // The text made safe to stand between the given quotes (' or ") in a statement, for this
    // connection's character set and SQL mode. A closed connection is reopened first; if that
    // fails the special characters are escaped by hand, as safe for the default character set.
    std::string escape(const std::string& text, char quote = '\'');

private:
    bool open_locked(const connection_options& options);
    void close_locked();

    ::st_mysql* handle_ = nullptr;
    mutable std::mutex mutex_;
    std::optional<connection_options> options_;
    unsigned last_error_ = 0;
    std::string last_error_text_;
};

// Backslash escaping of every character that could end a quoted literal or upset the server:
// NUL, line feed, carriage return, backslash, both quotes and Ctrl-Z.
std::string escape_by_hand(const std::string& text);

}  // namespace ledra::mysql
