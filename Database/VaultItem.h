#pragma once
#include <cstdint>
#include <string>

// One row of a vault, as the load command reads it back.
struct VaultItem {
    std::int32_t id = 0;
    std::string itemdata;  // empty for a resource row
    std::string blueprint;  // empty for an item row
    std::int32_t qtd = 0;  // 0 for an item row
    std::string itemname;  // the game object's name, for the move log
};
