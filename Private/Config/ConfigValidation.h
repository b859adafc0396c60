#pragma once
// Every key of the configuration checked at load, once, against what the plugin will do with it:
// types, ranges, command texts a player can type, message templates that format with the values
// each message gets.
#include <nlohmann/json.hpp>

#include <vector>

#include "Private/Config/ConfigProblem.h"

namespace Lockbury {

std::vector<ConfigProblem> ValidateConfig(const nlohmann::ordered_json& config);

// Why a message template cannot be sent as it is (a width or precision so large that formatting
// would stall the server), or empty when it can be tried.
std::string UnsafeTemplate(const std::string& text);

}  // namespace Lockbury
