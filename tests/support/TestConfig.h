#pragma once
// A complete configuration document, as an administrator would write it, pointing at a database.
#include <nlohmann/json.hpp>

#include "support/TestDatabase.h"

namespace TestSupport {

// Every key present. Proximity is not required and no permission is needed, so a test turns on
// only the guard it looks at. Messages are short and distinct so assertions read well.
nlohmann::ordered_json DefaultConfig(const DbParams& db);

}  // namespace TestSupport
