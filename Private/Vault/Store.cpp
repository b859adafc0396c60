#include "Private/Vault/Store.h"

namespace Lockbury {

std::unique_ptr<IDatabase>& database() {
    static std::unique_ptr<IDatabase> store;
    return store;
}

}  // namespace Lockbury
