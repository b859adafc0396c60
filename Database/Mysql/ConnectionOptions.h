#pragma once
#include <cstdint>
#include <string>

namespace ledra::mysql {

// What open() needs to reach the server. Empty texts and a zero time-out leave the client
// library's defaults.
struct connection_options {
    std::string host;
    std::string user;
    std::string password;
    std::string database;
    std::uint32_t connect_timeout = 0;  // seconds, also bounds the server's greeting
    std::uint32_t read_timeout = 0;  // seconds a statement may wait for its answer
    std::uint32_t write_timeout = 0;  // seconds a statement may wait to be sent
    bool reconnect = false;  // the client library's own reconnection
    std::string init_command;
    std::string charset_name;
    std::uint32_t port = 0;
};

}  // namespace ledra::mysql
