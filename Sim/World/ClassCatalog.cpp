#include "ClassCatalog.h"

namespace Sim {
namespace {

CatalogEntry Make(const std::string& name, const std::string& folder, ClassInfo::Kind kind, const std::string& display,
                  float durability = 0, float spoil = 0, int stackLimit = 1) {
    const std::string package = folder + "/" + name;
    return CatalogEntry{
        ClassInfo{name, "Blueprint'" + package + "." + name + "'", kind}, package, display, durability, spoil, stackLimit};
}

}  // namespace

const std::vector<CatalogEntry>& Catalog() {
    using K = ClassInfo::Kind;
    static const std::vector<CatalogEntry> catalog = {
        Make("PrimalItemResource_Wood", "/Game/PrimalEarth/CoreBlueprints/Resources", K::Resource, "Wood", 0, 0, 100),
        Make("PrimalItemResource_Stone", "/Game/PrimalEarth/CoreBlueprints/Resources", K::Resource, "Stone", 0, 0, 100),
        Make("PrimalItemResource_Element", "/Game/PrimalEarth/CoreBlueprints/Resources", K::Resource, "Element", 0, 0, 100),
        Make("PrimalItemResource_Fiber", "/Game/PrimalEarth/CoreBlueprints/Resources", K::Resource, "Fiber", 0, 0, 300),
        Make("PrimalItem_WeaponStoneHatchet", "/Game/PrimalEarth/CoreBlueprints/Weapons", K::Tool, "Stone Hatchet", 40.0f),
        Make("PrimalItemArmor_ClothShirt", "/Game/PrimalEarth/CoreBlueprints/Items/Armor/Cloth", K::Armour, "Cloth Shirt",
             25.0f),
        Make("PrimalItemConsumable_RawMeat", "/Game/PrimalEarth/CoreBlueprints/Items/Consumables", K::Food, "Raw Meat",
             0.0f, 1200.0f, 40),
        Make("PrimalItem_WeaponEmptyCryopod", "/Game/PrimalEarth/CoreBlueprints/Weapons", K::Cryopod, "Cryopod", 12.0f),
        Make("TekTransmitter", "/Game/PrimalEarth/Structures/TekTier", K::Container, "Tek Transmitter"),
        Make("StorageBox_Small", "/Game/PrimalEarth/Structures", K::Container, "Storage Box"),
        Make("Wall_Wood", "/Game/PrimalEarth/Structures/Wooden", K::Structure, "Wooden Wall"),
    };
    return catalog;
}

const CatalogEntry* FindClass(std::string_view name) {
    for (const auto& entry : Catalog())
        if (entry.info.name == name) return &entry;
    return nullptr;
}

const CatalogEntry* FindByBlueprintPath(std::string_view path) {
    constexpr std::string_view prefix = "Blueprint'";
    if (path.substr(0, prefix.size()) == prefix && path.size() > prefix.size() && path.back() == '\'')
        path = path.substr(prefix.size(), path.size() - prefix.size() - 1);
    if (path.size() > 2 && path.substr(path.size() - 2) == "_C") path.remove_suffix(2);
    for (const auto& entry : Catalog())
        if (path == entry.package + "." + entry.info.name) return &entry;
    return nullptr;
}

bool IsItemKind(ClassInfo::Kind kind) { return kind != ClassInfo::Kind::Container && kind != ClassInfo::Kind::Structure; }

}  // namespace Sim
