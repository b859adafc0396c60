#include "Private/Vault/Store.h"

#include "Private/Vault/StoreWorker.h"

namespace Lockbury {

IDatabase* database() {
    const std::unique_ptr<StoreWorker>& worker = storeWorker();
    return worker ? &worker->Waited() : nullptr;
}

}  // namespace Lockbury
