#pragma once
#include "Database/IDatabase.h"

namespace Lockbury {
// The vault store as game-thread code calls it, waiting for its answer (with a store thread, the
// call runs there); null until Load opened it. The commands hand their moves to storeWorker()
// instead, so that with a store thread they do not wait.
IDatabase* database();
}  // namespace Lockbury
