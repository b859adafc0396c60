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
    std::uint32_t connect_timeout = 0;  // seconds
    bool reconnect = false;             // the client library's own reconnection
    std::string init_command;
    std::string charset_name;
    std::uint32_t port = 0;
};

}  // namespace ledra::mysql
