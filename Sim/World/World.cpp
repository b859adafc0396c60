#include "World.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "HostRuntime/HostState.h"
#include "Sim/Colours.h"
#include "Sim/GameText.h"

namespace Sim {
namespace {

World* current = nullptr;

std::wstring Wide(const std::string& s) { return Utf::Utf8ToWide(s); }

float Distance(FVector a, FVector b) {
    const double dx = a.X - b.X, dy = a.Y - b.Y, dz = a.Z - b.Z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

std::string ColourName(const FLinearColor& colour) {
    const std::string name = Colours::Name(colour);
    return name.empty() ? name : " " + name;
}

std::string Indented(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\n') out += "    ";
    }
    return out;
}

}  // namespace

World& World::Current() {
    if (!current) throw std::logic_error("the simulated game has no world (no Sim::Server exists)");
    return *current;
}

World::World(const std::filesystem::path&)
    : idState_(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
    if (current) throw std::logic_error("a Sim::Server exists already: one game runs in a process");
    names_.emplace_back(L"None");
    nameIndex_[L"None"] = 0;

    auto N = [&](Native id, const char* name, const char* module, Native parent) {
        natives_[static_cast<int>(id)] = MakeClass(name, std::string("/Script/") + module,
                                                   id == Native::Object ? nullptr : NativeClass(parent), true, nullptr);
    };
    N(Native::Object, "Object", "CoreUObject", Native::Object);
    N(Native::Class, "Class", "CoreUObject", Native::Object);
    N(Native::World, "World", "Engine", Native::Object);
    N(Native::Actor, "Actor", "Engine", Native::Object);
    N(Native::Pawn, "Pawn", "Engine", Native::Actor);
    N(Native::Character, "Character", "Engine", Native::Pawn);
    N(Native::PrimalCharacter, "PrimalCharacter", "ShooterGame", Native::Character);
    N(Native::ShooterCharacter, "ShooterCharacter", "ShooterGame", Native::PrimalCharacter);
    N(Native::DinoCharacter, "PrimalDinoCharacter", "ShooterGame", Native::PrimalCharacter);
    N(Native::Controller, "Controller", "Engine", Native::Actor);
    N(Native::PlayerController, "PlayerController", "Engine", Native::Controller);
    N(Native::ShooterPlayerController, "ShooterPlayerController", "ShooterGame", Native::PlayerController);
    N(Native::AIController, "AIController", "AIModule", Native::Controller);
    N(Native::DinoAIController, "PrimalDinoAIController", "ShooterGame", Native::AIController);
    N(Native::TargetableActor, "PrimalTargetableActor", "ShooterGame", Native::Actor);
    N(Native::Structure, "PrimalStructure", "ShooterGame", Native::TargetableActor);
    N(Native::ItemContainer, "PrimalStructureItemContainer", "ShooterGame", Native::Structure);
    N(Native::Item, "PrimalItem", "ShooterGame", Native::Object);
    N(Native::ActorComponent, "ActorComponent", "Engine", Native::Object);
    N(Native::InventoryComponent, "PrimalInventoryComponent", "ShooterGame", Native::ActorComponent);
    N(Native::GameMode, "GameMode", "Engine", Native::Actor);
    N(Native::ShooterGameMode, "ShooterGameMode", "ShooterGame", Native::GameMode);
    N(Native::PlayerData, "PrimalPlayerData", "ShooterGame", Native::Object);
    // Class objects are made before the class of classes exists.
    for (auto& object : objects_)
        if (object->cls == nullptr) object->cls = reinterpret_cast<UClass*>(NativeClass(Native::Class));

    for (const CatalogEntry& entry : Catalog()) {
        Native parent = entry.info.kind == ClassInfo::Kind::Container   ? Native::ItemContainer
                        : entry.info.kind == ClassInfo::Kind::Structure ? Native::Structure
                                                                        : Native::Item;
        blueprintClasses_[entry.info.name] =
            MakeClass(entry.info.name + "_C", entry.package, NativeClass(parent), false, &entry.info);
    }
    worldObject_ = &Make<WorldObject>(NativeClass(Native::World), L"TheIsland");
    current = this;
}

World::~World() {
    HostRuntime::SetGameMode(nullptr);
    HostRuntime::SetWorld(nullptr);
    if (current == this) current = nullptr;
}

void World::InitWorld() { HostRuntime::SetWorld(reinterpret_cast<UWorld*>(worldObject_)); }

void World::InitGame(std::int64_t lastSaveWorldTime) {
    if (gameMode_) throw std::logic_error("the game mode is made once");
    gameMode_ = &Make<GameModeObject>(NativeClass(Native::ShooterGameMode), L"ShooterGameMode");
    gameMode_->lastSaveWorldTime = lastSaveWorldTime;
    AGameMode* handle = reinterpret_cast<AGameMode*>(static_cast<SimObject*>(gameMode_));
    worldObject_->authorityGameMode = handle;
    HostRuntime::SetGameMode(static_cast<AShooterGameMode*>(handle));
}

GameModeObject& World::GameMode() const {
    if (!gameMode_) throw std::logic_error("the game has no game mode before it started");
    return *gameMode_;
}

template <typename T>
T& World::Make(ClassObject* cls, const std::wstring& objectName) {
    return Make<T>(cls, MakeName(objectName));
}

template <typename T>
T& World::Make(ClassObject* cls, FName objectName) {
    auto object = std::make_unique<T>();
    T& ref = *object;
    ref.cls = reinterpret_cast<UClass*>(cls);
    ref.name = objectName;
    ref.serial = objects_.size() + 1;
    live_.Insert(static_cast<const void*>(static_cast<SimObject*>(object.get())));
    objects_.push_back(std::move(object));
    return ref;
}

ClassObject* World::MakeClass(const std::string& className, const std::string& package, ClassObject* parent, bool native,
                              const ClassInfo* info) {
    auto& cls = Make<ClassObject>(NativeClass(Native::Class), Wide(className));
    cls.className = className;
    cls.package = package;
    cls.parent = parent;
    cls.native = native;
    cls.info = info;
    auto& cdo = Make<DefaultObject>(&cls, Wide("Default__" + className));
    cls.defaultObject = &cdo;
    return &cls;
}

void World::NotLive(const void* handle, const char* operation) const {
    if (!handle) throw std::logic_error(std::string(operation) + " called on a null object");
    throw std::logic_error(std::string(operation) + " called on an object that is not alive (destroyed or never made)");
}

void World::WrongType(const SimObject* object, const char* operation) const {
    throw ArkApi::UnresolvedName(std::string(operation) + " does not apply to " + ObjectName(*object) + " (a " +
                                 object->Class()->className + ")");
}

void World::Destroy(SimObject* object) {
    if (!object) return;
    live_.Erase(static_cast<const void*>(object));
    // The memory stays until the world ends, so a stale handle is refused, never read.
    if (auto* item = dynamic_cast<Item*>(object)) {
        usedIds_.erase(IdNumber(item->record.id));
        item->record.payload.clear();
        item->record.payload.shrink_to_fit();
        item->owner = nullptr;
    }
}

FName World::MakeName(std::wstring_view text) {
    auto [it, inserted] = nameIndex_.try_emplace(std::wstring(text), static_cast<int>(names_.size()));
    if (inserted) names_.emplace_back(text);
    FName name;
    name.ComparisonIndex = it->second;
    return name;
}

std::wstring World::NameText(const FName& name) const {
    if (name.ComparisonIndex < 0 || static_cast<std::size_t>(name.ComparisonIndex) >= names_.size())
        throw std::logic_error(std::string(GameNames::FName_ToString.name) + " of a name that is not in the name table");
    if (name.Number == 0) return names_[static_cast<std::size_t>(name.ComparisonIndex)];
    return names_[static_cast<std::size_t>(name.ComparisonIndex)] + L"_" + Wide(std::to_string(name.Number - 1));
}

std::string World::ObjectName(const SimObject& object) const { return Utf::WideToUtf8(NameText(object.name)); }

// As the engine names its objects: the class's name once in the table, the object's number beside
// it, so the table does not grow with every item made.
FName World::UniqueName(const std::string& className) {
    FName name = MakeName(Wide(className));
    name.Number = static_cast<unsigned int>(++nextNumber_) + 1;  // shown as "<class>_<number>"
    return name;
}

std::wstring World::FullName(const SimObject& object) const {
    const ClassObject* cls = object.Class();
    std::wstring path;
    if (const auto* asClass = dynamic_cast<const ClassObject*>(&object))
        path = Wide(asClass->package) + L"." + NameText(object.name);
    else if (dynamic_cast<const DefaultObject*>(&object))
        path = Wide(cls->package) + L"." + NameText(object.name);
    else
        path = L"/Game/Maps/TheIslandSubMaps/TheIsland.TheIsland:PersistentLevel." + NameText(object.name);
    return Wide(cls->className) + L" " + path;
}

std::wstring World::ClassReference(const ClassObject& cls) const { return Wide(cls.package + "." + cls.className); }

ClassObject* World::ClassOf(const CatalogEntry& entry) const {
    auto it = blueprintClasses_.find(entry.info.name);
    if (it == blueprintClasses_.end()) throw std::logic_error("no class object for " + entry.info.name);
    return it->second;
}

bool World::IsA(const SimObject& object, const ClassObject* base) const {
    return base && object.Class() && object.Class()->IsChildOf(base);
}

FItemNetID World::NewItemId() {
    for (;;) {
        std::uint64_t z = (idState_ += 0x9E3779B97F4A7C15ull);  // splitmix64
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        FItemNetID id{static_cast<uint32>(z), static_cast<uint32>(z >> 32)};
        if (id.ItemID1 == 0 || id.ItemID2 == 0 || !usedIds_.insert(z).second) continue;
        return id;
    }
}

Item& World::NewItem(const CatalogEntry& entry) {
    if (!IsItemKind(entry.info.kind)) throw std::invalid_argument(entry.info.name + " is a structure, not an item");
    ItemRecord record;
    record.className = entry.info.name;
    record.id = NewItemId();
    record.durability = entry.durability;
    record.spoilSeconds = entry.spoilSeconds;
    record.creationTime = time;
    if (entry.info.kind == ClassInfo::Kind::Food) record.nextSpoilingTime = time + entry.spoilSeconds;
    return HoldItem(entry, std::move(record));
}

Item* World::ItemFromRecord(ItemRecord record) {
    const CatalogEntry* entry = FindClass(record.className);
    if (!entry || !IsItemKind(entry->info.kind)) return nullptr;
    // A rebuilt item is a new object with a new name; it keeps the stored id, as the game does.
    return &HoldItem(*entry, std::move(record));
}

Item& World::HoldItem(const CatalogEntry& entry, ItemRecord record) {
    auto& item = Make<Item>(ClassOf(entry), UniqueName(entry.info.name + "_C"));
    item.info = &entry.info;
    item.record = std::move(record);
    return item;
}

ItemView World::View(const Item& item) const {
    ItemView v;
    static_cast<ItemRecord&>(v) = item.record;
    v.handle = reinterpret_cast<UPrimalItem*>(const_cast<SimObject*>(static_cast<const SimObject*>(&item)));
    v.objectName = ObjectName(item);
    v.canSpoil = item.info->kind == ClassInfo::Kind::Food;
    if (!item.record.unserialisable) v.bytes = EncodeItem(item.record);
    v.updatedItemCalls = item.updatedCalls;
    return v;
}

bool World::AddToInventory(Inventory& inventory, Item& item) {
    if (item.owner) return false;
    int held = 0;
    for (UPrimalItem* handle : inventory.items)
        if (!static_cast<Item*>(SimObject::From(handle))->record.engram) ++held;
    if (!item.record.engram && held >= inventory.capacity) return false;
    // Two items of one inventory never share an id: a second copy of the same bytes gets a new one.
    for (UPrimalItem* handle : inventory.items)
        if (IdNumber(static_cast<Item*>(SimObject::From(handle))->record.id) == IdNumber(item.record.id)) {
            item.record.id = NewItemId();
            break;
        }
    usedIds_.insert(IdNumber(item.record.id));
    item.owner = &inventory;
    inventory.items.Add(reinterpret_cast<UPrimalItem*>(static_cast<SimObject*>(&item)));
    return true;
}

bool World::RemoveFromInventory(Inventory& inventory, const FItemNetID& id) {
    for (int i = 0; i < inventory.items.Num(); ++i) {
        auto* item = static_cast<Item*>(SimObject::From(inventory.items[i]));
        if (IdNumber(item->record.id) == IdNumber(id)) {
            inventory.items.RemoveAt(i);
            item->owner = nullptr;
            Destroy(item);
            return true;
        }
    }
    return false;
}

Player& World::Join(const std::string& name, std::uint64_t steamId) {
    if (players_.contains(name)) throw std::invalid_argument("a player named " + name + " is here already");
    for (const auto& [other, player] : players_)
        if (player->SteamId() == steamId)
            throw std::invalid_argument("a player with the id " + std::to_string(steamId) + " is here already");
    auto state = std::make_shared<Player::State>();
    state->world = this;
    state->name = name;
    state->steamId = steamId;
    auto& controller =
        Make<PlayerController>(NativeClass(Native::ShooterPlayerController), UniqueName("ShooterPlayerController"));
    Character* character = nullptr;
    Inventory* inventory = nullptr;
    if (auto asleep = sleeping_.find(steamId); asleep != sleeping_.end()) {
        // The character this steam id left in the world, inventory and all.
        character = asleep->second.character;
        inventory = asleep->second.inventory;
        sleeping_.erase(asleep);
        controller.location = character->location;
    } else {
        character = &Make<Character>(NativeClass(Native::ShooterCharacter), UniqueName("PlayerPawnTest_Male_C"));
        character->octreeGroup = EServerOctreeGroup::PLAYERPAWNS;
        inventory = &Make<Inventory>(NativeClass(Native::InventoryComponent), UniqueName("PrimalInventoryComponent"));
    }
    PlayerDataObject*& data = playerData_[steamId];
    if (!data)
        data = &Make<PlayerDataObject>(NativeClass(Native::PlayerData),
                                       Wide("PrimalPlayerDataBP_C_" + std::to_string(steamId)));
    character->controller = &controller;
    character->playerName = GameText(name);
    controller.pawn = character;
    controller.steamId = steamId;
    controller.inventory = inventory;
    state->controller = &controller;
    state->character = character;
    auto player = std::unique_ptr<Player>(new Player(state));
    controller.player = player.get();
    Player& ref = *player;
    players_.emplace(name, std::move(player));
    actors_.push_back(character);
    worldObject_->playerControllers.Add({reinterpret_cast<APlayerController*>(static_cast<SimObject*>(&controller))});
    return ref;
}

void World::Leave(const std::string& name) {
    auto it = players_.find(name);
    if (it == players_.end()) throw std::invalid_argument("no player named " + name);
    auto& state = *it->second->state_;
    if (state.character) {
        // The character stays in the world, asleep, with its inventory: a world save keeps it and
        // the player's next join takes it back.
        actors_.erase(std::remove(actors_.begin(), actors_.end(), state.character), actors_.end());
        state.character->controller = nullptr;
        sleeping_[state.steamId] = Sleeper{state.name, state.character, state.controller->inventory};
        state.controller->pawn = nullptr;
        state.controller->inventory = nullptr;
        state.character = nullptr;
    } else {
        RemoveInventory(state);  // the inventory is the character's
    }
    auto* gone = reinterpret_cast<APlayerController*>(static_cast<SimObject*>(state.controller));
    auto& list = worldObject_->playerControllers;
    for (int i = list.Num() - 1; i >= 0; --i)
        if (list[i].Get() == gone) list.RemoveAt(i);
    Destroy(state.controller);
    state.left = true;
    departed_.push_back(std::move(it->second));
    players_.erase(it);
}

Player* World::Find(const std::string& name) {
    auto it = players_.find(name);
    return it == players_.end() ? nullptr : it->second.get();
}

Inventory* World::InventoryOf(const PlayerController& controller) const {
    // The inventory is the character's: no character, no inventory.
    if (!controller.pawn || !IsLive(controller.pawn) || !controller.inventory || !IsLive(controller.inventory))
        return nullptr;
    return controller.inventory;
}

UPrimalPlayerData* World::PlayerDataOf(std::uint64_t steamId) const {
    auto it = playerData_.find(steamId);
    return it == playerData_.end() ? nullptr : reinterpret_cast<UPrimalPlayerData*>(static_cast<SimObject*>(it->second));
}

void World::RemoveCharacter(Player::State& state) {
    if (!state.character) return;
    actors_.erase(std::remove(actors_.begin(), actors_.end(), state.character), actors_.end());
    Destroy(state.character);
    state.controller->pawn = nullptr;
    state.character = nullptr;
}

void World::RemoveInventory(Player::State& state) {
    Inventory* inventory = state.controller->inventory;
    if (!inventory) return;
    for (UPrimalItem* handle : inventory->items) Destroy(SimObject::From(handle));
    inventory->items.Empty();
    Destroy(inventory);
    state.controller->inventory = nullptr;
}

namespace {

SavedCharacter SaveCharacter(std::uint64_t steamId, const std::string& name, const Character& character,
                             const Inventory* inventory) {
    SavedCharacter saved;
    saved.steamId = steamId;
    saved.name = name;
    saved.location = character.location;
    saved.dead = character.dead;
    if (inventory)
        for (UPrimalItem* handle : inventory->items)
            saved.items.push_back(static_cast<const Item*>(SimObject::From(handle))->record);
    return saved;
}

}  // namespace

SavedWorld World::Snapshot() const {
    SavedWorld saved;
    saved.gameTime = time;
    for (const auto& [name, player] : players_) {
        const Player::State& state = *player->state_;
        if (state.character)
            saved.characters.push_back(
                SaveCharacter(state.steamId, name, *state.character, InventoryOf(*state.controller)));
    }
    for (const auto& [steamId, sleeper] : sleeping_)
        saved.characters.push_back(SaveCharacter(steamId, sleeper.name, *sleeper.character, sleeper.inventory));
    std::sort(saved.characters.begin(), saved.characters.end(),
              [](const SavedCharacter& a, const SavedCharacter& b) { return a.steamId < b.steamId; });
    for (const Actor* actor : actors_) {
        if (const auto* structure = dynamic_cast<const Structure*>(actor)) {
            saved.actors.push_back(SavedActor{structure->Class()->info->name, true, structure->location,
                                              structure->descriptiveName.ToString()});
        } else if (dynamic_cast<const PlainActor*>(actor)) {
            std::string className = actor->Class()->className;
            className.resize(className.size() - 2);  // "Rock_C" was placed as "Rock"
            saved.actors.push_back(SavedActor{className, false, actor->location, ""});
        }
    }
    return saved;
}

void World::Restore(const SavedWorld& saved) {
    if (!players_.empty() || !sleeping_.empty() || !actors_.empty())
        throw std::logic_error("a saved world is restored into a fresh world only");
    time = saved.gameTime;
    for (const SavedCharacter& c : saved.characters) {
        auto& character = Make<Character>(NativeClass(Native::ShooterCharacter), UniqueName("PlayerPawnTest_Male_C"));
        character.octreeGroup = EServerOctreeGroup::PLAYERPAWNS;
        character.location = c.location;
        character.dead = c.dead;
        auto& inventory = Make<Inventory>(NativeClass(Native::InventoryComponent), UniqueName("PrimalInventoryComponent"));
        for (const ItemRecord& record : c.items) {
            Item* item = ItemFromRecord(record);
            if (!item) throw std::logic_error("the saved world holds an item of no item class: " + record.className);
            // As saved: no capacity check, and the id stays; new ids never take a restored one.
            usedIds_.insert(IdNumber(record.id));
            item->owner = &inventory;
            inventory.items.Add(reinterpret_cast<UPrimalItem*>(static_cast<SimObject*>(item)));
        }
        sleeping_[c.steamId] = Sleeper{c.name, &character, &inventory};
    }
    for (const SavedActor& a : saved.actors) {
        if (a.targetable) {
            const CatalogEntry* entry = FindClass(a.className);
            if (!entry) throw std::logic_error("the saved world holds a structure of no class: " + a.className);
            Place(*entry, a.location, a.descriptiveName);
        } else {
            PlaceNonTargetable(a.className, a.location);
        }
    }
}

void World::Deliver(PlayerController& controller, Output output) {
    Player* player = controller.player;
    if (!player) return;
    const std::string& name = player->Name();
    switch (output.kind) {
        case Output::Kind::Chat: Echo("[chat " + name + "] " + output.sender + ": " + output.text); break;
        case Output::Kind::Server: Echo("[server " + name + ColourName(output.colour) + "] " + output.text); break;
        case Output::Kind::Notify: Echo("[notify " + name + "] " + Indented(output.text)); break;
    }
    player->state_->received.push_back(std::move(output));
}

Structure& World::Place(const CatalogEntry& entry, FVector location, const std::string& descriptiveName) {
    if (IsItemKind(entry.info.kind)) throw std::invalid_argument(entry.info.name + " is an item, not a structure");
    auto& structure = Make<Structure>(ClassOf(entry), UniqueName(entry.info.name + "_C"));
    structure.location = location;
    structure.octreeGroup = EServerOctreeGroup::STRUCTURES;
    structure.descriptiveName = GameText(descriptiveName.empty() ? entry.displayName : descriptiveName);
    actors_.push_back(&structure);
    return structure;
}

PlainActor& World::PlaceNonTargetable(const std::string& className, FVector location) {
    if (className.empty() || FindClass(className))
        throw std::invalid_argument("a non-targetable actor needs a class name of its own, not '" + className + "'");
    auto it = blueprintClasses_.find(className);
    if (it == blueprintClasses_.end())
        it = blueprintClasses_
                 .emplace(className, MakeClass(className + "_C", "/Game/PrimalEarth/Environment/" + className,
                                               NativeClass(Native::Actor), false, nullptr))
                 .first;
    auto& actor = Make<PlainActor>(it->second, UniqueName(className + "_C"));
    actor.location = location;
    actor.octreeGroup = EServerOctreeGroup::STRUCTURES;
    actors_.push_back(&actor);
    return actor;
}

namespace {

// Both searches answer nearest first; equal distances keep the order of placing.
std::vector<Actor*> NearestFirst(std::vector<std::pair<float, Actor*>> hits) {
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Actor*> out;
    out.reserve(hits.size());
    for (auto& [d, actor] : hits) out.push_back(actor);
    return out;
}

}  // namespace

std::vector<Actor*> World::Octree(FVector location, float radius, int group) const {
    std::vector<std::pair<float, Actor*>> hits;
    for (Actor* actor : actors_)
        if (actor->octreeGroup == group && IsLive(actor)) {
            const float d = Distance(location, actor->location);
            if (d <= radius) hits.emplace_back(d, actor);
        }
    return NearestFirst(std::move(hits));
}

std::vector<Actor*> World::Sphere(FVector location, float radius, const ClassObject* filter,
                                  const TArray<AActor*>* ignore) const {
    std::vector<std::pair<float, Actor*>> hits;
    for (Actor* actor : actors_) {
        if (!IsLive(actor) || (filter && !IsA(*actor, filter))) continue;
        if (ignore) {
            bool skip = false;
            for (AActor* ignored : *ignore) skip = skip || ignored == reinterpret_cast<AActor*>(actor);
            if (skip) continue;
        }
        const float d = Distance(location, actor->location);
        if (d <= radius) hits.emplace_back(d, actor);
    }
    return NearestFirst(std::move(hits));
}

Character& World::Creature() {
    if (!creature_) {
        auto it = blueprintClasses_.find("Raptor_Character_BP");
        if (it == blueprintClasses_.end())
            it = blueprintClasses_
                     .emplace("Raptor_Character_BP",
                              MakeClass("Raptor_Character_BP_C", "/Game/PrimalEarth/Dinos/Raptor/Raptor_Character_BP",
                                        NativeClass(Native::DinoCharacter), false, nullptr))
                     .first;
        creature_ = &Make<Character>(it->second, UniqueName("Raptor_Character_BP_C"));
        creature_->octreeGroup = EServerOctreeGroup::DINOPAWNS;
        creature_->controller = &CreatureBrain();
        creatureBrain_->pawn = creature_;
    }
    return *creature_;
}

CreatureController& World::CreatureBrain() {
    if (!creatureBrain_)
        creatureBrain_ =
            &Make<CreatureController>(NativeClass(Native::DinoAIController), UniqueName("PrimalDinoAIController"));
    return *creatureBrain_;
}

}  // namespace Sim
