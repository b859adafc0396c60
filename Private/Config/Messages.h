#pragma once
// The configured texts players are sent. Sending never fails: a template that cannot be filled
// (or would stall the server filling it) is sent as it stands and logged, so a mistake in
// config.json can never stop a command after it took points or moved items.
#include <exception>
#include <string>
#include <utility>

#include "Host/ArkApi.h"
#include "Private/Config/ConfigValidation.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"

namespace Lockbury {

// The configured template of a message key: its text; "no message found" (or the given
// fallback) when absent; a value that is not text as it is written in the file.
FString MessageTemplate(const std::string& key, const std::string& fallback = "no message found");

// Logs once per use that a template was sent unfilled, and why.
void LogUnfilledTemplate(const std::string& key, const std::string& why) noexcept;

// The template filled with the values, or the template itself when that cannot be done.
template <typename... Args>
FString FillMessage(const std::string& key, const FString& format, const Args&... args) {
    const std::string raw = format.ToString();
    std::string why = UnsafeTemplate(raw);
    if (why.empty()) {
        try {
            return FormatText(raw, args...);
        } catch (const std::exception& error) {
            why = error.what();
        }
    }
    LogUnfilledTemplate(key, why);
    return format;
}

// A chat line from the configured sender with the configured text of key.
template <typename... Args>
void SendMessage(AShooterPlayerController* player, const std::string& key, const Args&... args) {
    SendChatLine(player, MessageTemplate("sender"), FillMessage(key, MessageTemplate(key), args...));
}

}  // namespace Lockbury
