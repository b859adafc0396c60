#pragma once
// The items tests give: a class and, when it matters, a quantity or another field; the rest as
// the game makes them. Item("PrimalItemResource_Wood").Quantity(250) reads as the stack it is.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Sim/Server.h"

namespace TestSupport {

class Item {
public:
    explicit Item(std::string className) { spec_.className = std::move(className); }
    Item& Quantity(int quantity) { return Set(spec_.quantity, quantity); }
    Item& Slot(int slot) { return Set(spec_.slot, slot); }
    Item& Durability(float durability) { return Set(spec_.durability, durability); }
    Item& Spoils(double seconds) { return Set(spec_.spoilSeconds, seconds); }
    Item& Payload(std::vector<std::uint8_t> payload) { return Set(spec_.payload, std::move(payload)); }
    Item& Engram() { return Set(spec_.engram, true); }
    Item& Initial() { return Set(spec_.initial, true); }
    Item& Unserialisable() { return Set(spec_.unserialisable, true); }

    const Sim::ItemSpec& Spec() const { return spec_; }
    operator const Sim::ItemSpec&() const { return spec_; }  // NOLINT: an Item is given where a spec is taken
    // The blueprint path of the item's class, as the game names it in a vault row or a dump.
    std::string Blueprint() const { return Blueprint(spec_.className); }
    static std::string Blueprint(const std::string& className) {
        for (const auto& info : Sim::Server::Classes())
            if (info.name == className) return info.blueprintPath;
        throw std::invalid_argument("the simulator has no class " + className);
    }

private:
    template <typename Field, typename Value>
    Item& Set(Field& field, Value&& value) {
        field = std::forward<Value>(value);
        return *this;
    }
    Sim::ItemSpec spec_;
};

inline Sim::ItemSpec Spec(const std::string& className, int quantity = 1) {
    return Item(className).Quantity(quantity).Spec();
}

}  // namespace TestSupport
