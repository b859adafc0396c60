#pragma once
// The items tests give: a class and, when it matters, a quantity; other fields as the game makes them.
#include <string>

#include "Sim/Server.h"

namespace TestSupport {

inline Sim::ItemSpec Spec(const std::string& className, int quantity = 1) {
    Sim::ItemSpec spec;
    spec.className = className;
    spec.quantity = quantity;
    return spec;
}

}  // namespace TestSupport
