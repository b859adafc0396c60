#include "Private/Config/Messages.h"

#include "Private/Config/Config.h"
#include "Private/Plugin/Log.h"
#include "Private/Text/Utf8.h"

namespace Lockbury {

FString MessageTemplate(const std::string& key, const std::string& fallback) {
    const auto& config = Config();
    const nlohmann::ordered_json* messages = nullptr;
    if (config.is_object() && config.contains("messages") && config.at("messages").is_object())
        messages = &config.at("messages");
    std::string text = fallback;
    if (messages && messages->contains(key)) {
        const auto& value = messages->at(key);
        text = value.is_string() ? value.get<std::string>() : value.dump();
    }
    return Text::FromUtf8(text);
}

void LogUnfilledTemplate(const std::string& key, const std::string& why) noexcept {
    try {
        if (auto& log = GetLog()) log->error("config.json: messages.{}: {}; sent as it stands", key.c_str(), why.c_str());
    } catch (...) {
    }
}

}  // namespace Lockbury
