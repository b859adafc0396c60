#pragma once
// One vault row as an administrator inspects it: no item bytes.
#include <cstdint>
#include <string>

struct StoredRow {
    std::int32_t id = 0;
    std::string itemname;
    std::int32_t quantity = 1;  // an item row holds one item
    std::int64_t savedAt = 0;  // dtinsert
};
