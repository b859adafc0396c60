#pragma once
#include <memory>

#include "Database/IDatabase.h"

namespace Lockbury {
// The one vault store, made by Load; null until then.
std::unique_ptr<IDatabase>& database();
}  // namespace Lockbury
