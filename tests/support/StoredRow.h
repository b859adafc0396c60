#pragma once
// One row of u_vault as the table holds it, every column as text ("" for NULL).
#include <string>

namespace TestSupport {

struct StoredRow {
    std::string id, vaultname, itemname, itemdata, blueprint, qtd;
};

}  // namespace TestSupport
