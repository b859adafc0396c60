#include "Private/Config.h"

#include <fstream>
#include <stdexcept>

#include "Host/ArkApi.h"
#include "Host/TextSearch.h"

namespace Lockbury {

namespace {

FString Decode(const std::string& utf8) { return FString(std::u16string_view(ArkApi::Tools::Utf8Decode(utf8))); }

// "commands".key: operator[] turns a null "commands" into an object and raises 305 on any
// other non-object; a missing entry is added as null, which value() then refuses with 306.
nlohmann::ordered_json& CommandEntry(const std::string& key) { return Config()["commands"][key]; }

FString CommandText(const std::string& key, const char* member) {
    return Decode(CommandEntry(key).value(member, std::string("no command found")));
}

// Whether some entry of the top-level list occurs in text. A single value acts as a one-entry
// list and an object as the list of its values, as the JSON library iterates them.
bool ListMatches(const char* list, const FString& text) {
    const nlohmann::ordered_json entries = Config()[list];
    for (const auto& entry : entries) {
        // A non-string entry raises type error 302; the entry's bytes are widened one by one.
        const std::string pattern = entry.get<std::string>();
        if (ContainsIgnoreCase(text, FString(std::string_view(pattern)))) return true;
    }
    return false;
}

}  // namespace

nlohmann::ordered_json& Config() {
    static nlohmann::ordered_json document;
    return document;
}

void ReadConfig() {
    std::ifstream file(ArkApi::Tools::GetCurrentDir() + "/ArkApi/Plugins/Lockbury/config.json");
    if (!file.is_open()) throw std::runtime_error("Can't open config.json");
    // Stream extraction accepts a byte-order mark and stops after the first complete value.
    file >> Config();
}

FString GetCommandName(const std::string& key) { return CommandText(key, "command"); }

FString GetRequiredPermission(const std::string& key) { return CommandText(key, "requiredPermission"); }

FString GetMessage(const std::string& key) { return GetMessage(key, "no message found"); }

FString GetMessage(const std::string& key, const std::string& fallback) {
    return Decode(Config()["messages"].value(key, fallback));
}

bool IsBlocked(const FString& text) { return ListMatches("blocked", text); }

bool IsResource(const FString& text) { return ListMatches("resources", text); }

bool RequiresNearTransmitter(const std::string& key) {
    return CommandEntry(key).value("requireNearTransmiter", true);
}

int ConfigInt(const char* key) { return Config()[key].get<int>(); }

int ConfigInt(const char* key, int fallback) { return Config().value(key, fallback); }

}  // namespace Lockbury
