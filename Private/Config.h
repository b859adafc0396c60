#pragma once
// The configuration document and its lookups. Every lookup reads the in-memory document at the
// moment it is needed; errors are the JSON library's exceptions.
#include <nlohmann/json.hpp>

#include <string>

#include "Host/FString.h"

namespace Lockbury {

nlohmann::ordered_json& Config();

// Reads "<server dir>/ArkApi/Plugins/Lockbury/config.json" into the document.
void ReadConfig();

FString GetCommandName(const std::string& key);
FString GetRequiredPermission(const std::string& key);
FString GetMessage(const std::string& key);
// A message whose key configurations written before it existed lack: this text stands in.
FString GetMessage(const std::string& key, const std::string& fallback);
bool IsBlocked(const FString& text);
bool IsResource(const FString& text);

// "requireNearTransmiter" of a command entry, true when absent.
bool RequiresNearTransmitter(const std::string& key);
// A top-level integer member without a default (type error 302 when absent or not a number).
int ConfigInt(const char* key);
// A top-level integer member with a default.
int ConfigInt(const char* key, int fallback);

}  // namespace Lockbury
