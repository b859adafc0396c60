// A player as tests and lockbury-server see it: a handle on the player's state in the world.
#include "World.h"

namespace Sim {
namespace {

void MustBeHere(bool left, const std::string& name) {
    if (left) throw std::logic_error("player " + name + " has left the server");
}

}  // namespace

Player::Player(std::shared_ptr<State> state) : state_(std::move(state)) {}

const std::string& Player::Name() const { return state_->name; }
std::uint64_t Player::SteamId() const { return state_->steamId; }

AShooterPlayerController* Player::Controller() const {
    MustBeHere(state_->left, state_->name);
    return reinterpret_cast<AShooterPlayerController*>(static_cast<SimObject*>(state_->controller));
}

const std::vector<Output>& Player::Received() const { return state_->received; }
void Player::ClearReceived() { state_->received.clear(); }

std::vector<ItemView> Player::Inventory() const {
    std::vector<ItemView> views;
    if (state_->left) return views;
    Sim::Inventory* inventory = state_->controller->inventory;
    if (!inventory) return views;
    for (UPrimalItem* handle : inventory->items)
        views.push_back(state_->world->View(*static_cast<Item*>(SimObject::From(handle))));
    return views;
}

std::size_t Player::ItemCount() const {
    if (state_->left || !state_->controller->inventory) return 0;
    return static_cast<std::size_t>(state_->controller->inventory->items.Num());
}

void Player::MoveTo(FVector location) {
    MustBeHere(state_->left, state_->name);
    state_->controller->location = location;
    if (state_->character) state_->character->location = location;
}

FVector Player::Location() const { return state_->controller->location; }

void Player::Kill() {
    MustBeHere(state_->left, state_->name);
    if (state_->character) state_->character->dead = true;
}

void Player::Revive() {
    MustBeHere(state_->left, state_->name);
    if (state_->character) state_->character->dead = false;
}

void Player::RemoveCharacter() {
    MustBeHere(state_->left, state_->name);
    state_->world->RemoveCharacter(*state_);
}

void Player::RemoveInventory() {
    MustBeHere(state_->left, state_->name);
    state_->world->RemoveInventory(*state_);
}

void Player::SetInventoryCapacity(int items) {
    MustBeHere(state_->left, state_->name);
    if (state_->controller->inventory) state_->controller->inventory->capacity = items;
}

AShooterCharacter* Player::Character() const {
    if (state_->left || !state_->character) return nullptr;
    return reinterpret_cast<AShooterCharacter*>(static_cast<SimObject*>(state_->character));
}

UPrimalInventoryComponent* Player::InventoryComponent() const {
    if (state_->left) return nullptr;
    return reinterpret_cast<UPrimalInventoryComponent*>(
        static_cast<SimObject*>(state_->world->InventoryOf(*state_->controller)));
}

}  // namespace Sim
