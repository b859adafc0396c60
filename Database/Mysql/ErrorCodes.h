#pragma once
// Error codes the store acts on: the connection itself gone (not the statement wrong), and a
// transaction the server undid whole.
namespace ledra::mysql::errors {

inline constexpr unsigned connection_error = 2002;  // cannot reach the server (a dead handle reports it too)
inline constexpr unsigned server_gone = 2006;  // the send failed: the statement never reached the server
inline constexpr unsigned server_lost = 2013;  // lost while waiting: the statement may have run
// The transaction was chosen as a deadlock's victim, or Galera's certification refused it at its
// COMMIT: nothing of it stays, and running it again may well go through.
inline constexpr unsigned deadlock = 1213;

inline constexpr bool is_connection_lost(unsigned code) {
    return code == connection_error || code == server_gone || code == server_lost;
}

}  // namespace ledra::mysql::errors
