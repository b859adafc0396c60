#pragma once
#include <string>

// One vault of a player, as the server renders the summary.
struct VaultList {
    std::string vaultname;
    std::string total;  // number of rows, decimal
    std::string falta;  // time left, "hh:mm:ss"
};
