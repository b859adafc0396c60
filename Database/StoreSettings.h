#pragma once
#include <spdlog/logger.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// How long the store may hold the game thread. Every statement waits at most queryTimeout for
// its answer; a lost connection is made again within reconnectTimeout, and after a failed
// attempt none is made for reconnectInterval, so commands in between fail at once.
struct StoreSettings {
    std::uint32_t queryTimeout = 10;  // seconds
    std::uint32_t reconnectTimeout = 3;  // seconds
    std::uint32_t reconnectInterval = 30;  // seconds
    // The decay time in minutes, asked when the event is made and at every list; it may throw
    // when the configuration has none, which the store logs as an unexpected error.
    std::function<int()> decayMinutes;
    std::shared_ptr<spdlog::logger> log;  // none: the store logs nothing
    // Crash safety: every move is also written to the journal, in the move's own transaction,
    // under this server's id. Off, the store writes and reads no journal table.
    bool journal = false;
    std::string serverId;
    // The move log: every move is recorded in its own transaction under this server name, and
    // records older than logDays days are pruned by the database (0 keeps them).
    std::string logServer = "lockbury";
    int logDays = 30;
};
