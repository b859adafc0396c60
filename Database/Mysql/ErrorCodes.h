#pragma once
// Client error codes that mean the connection itself is gone, not that the statement was wrong.
namespace ledra::mysql::errors {

inline constexpr unsigned connection_error = 2002;  // cannot reach the server (a dead handle reports it too)
inline constexpr unsigned server_gone = 2006;  // the send failed: the statement never reached the server
inline constexpr unsigned server_lost = 2013;  // lost while waiting: the statement may have run

inline constexpr bool is_connection_lost(unsigned code) {
    return code == connection_error || code == server_gone || code == server_lost;
}

}  // namespace ledra::mysql::errors
