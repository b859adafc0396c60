#pragma once
// The item and structure classes the simulated game knows, with their blueprint paths and defaults.
#include <string>
#include <string_view>
#include <vector>

#include "Sim/Server.h"

namespace Sim {

struct CatalogEntry {
    ClassInfo info;
    std::string package;  // "/Game/PrimalEarth/.../PrimalItemResource_Wood"
    std::string displayName;  // a structure's default descriptive name
    float durability = 0;  // items: the durability a new item starts with
    float spoilSeconds = 0;  // food: seconds until it spoils
    int stackLimit = 1;  // the most one stack holds when the game gives the item
};

const std::vector<CatalogEntry>& Catalog();
const CatalogEntry* FindClass(std::string_view name);
// Accepts "Blueprint'/Game/.../X.X'", "/Game/.../X.X" and "/Game/.../X.X_C".
const CatalogEntry* FindByBlueprintPath(std::string_view path);
bool IsItemKind(ClassInfo::Kind kind);

}  // namespace Sim
