#pragma once
// The configuration document and its lookups. Every lookup reads the in-memory document at the
// moment it is needed; errors are the JSON library's exceptions.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "Host/ArkApi.h"
#include "Private/Config/ConfigProblem.h"

namespace Lockbury {

nlohmann::ordered_json& Config();

// Reads "<server dir>/ArkApi/Plugins/Lockbury/config.json" into the document. A file that cannot
// be read safely (missing, too large, nested too deep, not JSON) throws; what can be read but is
// suspect (text after the object, a key given twice) comes back as problems.
std::vector<ConfigProblem> ReadConfig();
// The same, from the file's text.
std::vector<ConfigProblem> ParseConfig(std::string text);

FString GetCommandName(const std::string& key);
FString GetRequiredPermission(const std::string& key);
FString ConfiguredMessage(const std::string& key);
// A message whose key configurations written before it existed lack: this text stands in.
FString ConfiguredMessage(const std::string& key, const std::string& fallback);
bool IsBlocked(const FString& text);
bool IsResource(const FString& text);

// "requireNearTransmiter" of a command entry, true when absent.
bool RequiresNearTransmitter(const std::string& key);
// A top-level integer member without a default (type error 302 when absent or not a number).
// A fraction is cut toward zero; a number outside the int range throws std::out_of_range.
int ConfigInt(const char* key);
// A top-level integer member with a default.
int ConfigInt(const char* key, int fallback);
// The value as an int, by the same rules.
int ToInt(const nlohmann::ordered_json& value);

// Crash safety: "crashSafe" (false when absent) and the "serverId" it journals under. Read once,
// when the plugin loads; the validation has already refused any other type.
bool CrashSafeConfigured();
// "storeThread" is true: the store runs on a thread of its own.
bool StoreThreadConfigured();
std::string ServerIdConfigured();
// The server's name in the move log: "serverId" when set, else the machine's host name.
std::string MoveLogServerName();

}  // namespace Lockbury
