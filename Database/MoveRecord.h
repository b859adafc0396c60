#pragma once
// One record of the move log, as an administrator reads it.
#include <cstdint>
#include <string>

struct MoveRecord {
    std::int64_t id = 0;
    std::int64_t at = 0;  // seconds since 1970
    std::string server;  // the server that made the move; "database" for a deletion outside Lockbury
    std::string vaultname;
    std::string kind;  // save, load, admin, returned, decay or removed
    std::int32_t rows = 0;
    std::uint64_t by = 0;  // the administrator of an "admin" move
    std::string summary;  // "Wood x250, Metal Pick x3", largest first
};
