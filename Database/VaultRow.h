#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "Host/ArkApi.h"

// One row a save writes: an item row (its bytes as text) or a resource row (blueprint and
// quantity). The kind decides which columns the row fills; the others stay as the table's
// defaults.
struct VaultRow {
    enum class Kind { Item, Resource };

    static VaultRow Item(FString itemname, std::string itemdata) {
        VaultRow row;
        row.kind = Kind::Item;
        row.itemname = std::move(itemname);
        row.itemdata = std::move(itemdata);
        return row;
    }
    static VaultRow Resource(FString itemname, FString blueprint, std::int32_t qtd) {
        VaultRow row;
        row.kind = Kind::Resource;
        row.itemname = std::move(itemname);
        row.blueprint = std::move(blueprint);
        row.qtd = qtd;
        return row;
    }

    Kind kind = Kind::Item;
    FString itemname;
    std::string itemdata;  // item rows only
    FString blueprint;  // resource rows only
    std::int32_t qtd = 0;  // resource rows only
    // The id of the inventory item the row comes from, for the crash-safety journal.
    std::uint32_t itemId1 = 0;
    std::uint32_t itemId2 = 0;
};
