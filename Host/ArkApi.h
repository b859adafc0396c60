#pragma once
// The plugin's one door to the framework and the game, as the framework's API/ARK/Ark.h answers it
// on a live server: the game classes, hooks, commands and callbacks, the player output operations,
// tools, the log sinks (and the framework's Log class), and the two functions the sibling plugins
// export. Implemented by the host runtime (libArkApiHost); everything here has the framework's own
// names, signatures and types.
#include <spdlog/spdlog.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Game/Rcon.h"
#include "Game/World.h"

using LPVOID = void*;

namespace ArkApi {

class ARK_HOST_API IHooks {
public:
    // Replaces the game function with the detour; *original receives the game's own entry.
    template <typename T>
    bool SetHook(const std::string& func_name, LPVOID detour, T** original) {
        return SetHookInternal(func_name, detour, reinterpret_cast<LPVOID*>(original), SignatureOf<T>());
    }
    bool DisableHook(const std::string& func_name, LPVOID detour);

private:
    // The stand-in also checks the original's type against the game name's signature.
    bool SetHookInternal(const std::string& func_name, LPVOID detour, LPVOID* original, const char* signature);
};

ARK_HOST_API IHooks& GetHooks();

class ARK_HOST_API ICommands {
public:
    void AddChatCommand(const FString& command,
                        const std::function<void(AShooterPlayerController*, FString*, EChatSendMode::Type)>& callback);
    void AddConsoleCommand(const FString& command, const std::function<void(APlayerController*, FString*, bool)>& callback);
    // Replies go back with connection->SendMessageW(packet->Id, 0, &text), once or more.
    void AddRconCommand(const FString& command,
                        const std::function<void(RCONClientConnection*, RCONPacket*, UWorld*)>& callback);
    // Every frame, with the frame's seconds.
    void AddOnTickCallback(const FString& id, const std::function<void(float)>& callback);
    // Once a second.
    void AddOnTimerCallback(const FString& id, const std::function<void()>& callback);
    bool RemoveChatCommand(const FString& command);
    bool RemoveConsoleCommand(const FString& command);
    bool RemoveRconCommand(const FString& command);
    bool RemoveOnTickCallback(const FString& id);
    bool RemoveOnTimerCallback(const FString& id);
};

ARK_HOST_API ICommands& GetCommands();

class ARK_HOST_API IApiUtils {
public:
    // The current game world; null until the engine made it (a plugin loads before).
    UWorld* GetWorld() const;
    // The game mode; null until the game made it (a plugin loads before).
    AShooterGameMode* GetShooterGameMode() const;

    template <typename T, typename... Args>
    void SendServerMessage(AShooterPlayerController* player_controller, FLinearColor msg_color, const T* msg,
                           Args&&... args) {
        if (!player_controller) return;
        FString text(FString::Format(msg, std::forward<Args>(args)...));
        player_controller->ClientServerChatDirectMessage(&text, msg_color, false);
    }

    template <typename T, typename... Args>
    void SendNotification(AShooterPlayerController* player_controller, FLinearColor color, float display_scale,
                          float display_time, UTexture2D* icon, const T* msg, Args&&... args) {
        if (!player_controller) return;
        FString text(FString::Format(msg, std::forward<Args>(args)...));
        player_controller->ClientServerSOTFNotificationCustom(&text, color, display_scale, display_time, icon, nullptr);
    }

    template <typename T, typename... Args>
    void SendChatMessage(AShooterPlayerController* player_controller, const FString& sender_name, const T* msg,
                         Args&&... args) {
        if (!player_controller) return;
        const FString text(FString::Format(msg, std::forward<Args>(args)...));
        FChatMessage chat_message;
        chat_message.SenderName = sender_name;
        chat_message.Message = text;
        player_controller->ClientChatMessage(chat_message);
    }
};

ARK_HOST_API IApiUtils& GetApiUtils();

namespace Tools {
// The game server's folder; the plugin appends paths that begin with "/".
ARK_HOST_API std::string GetCurrentDir();
ARK_HOST_API std::string Utf8Encode(const std::wstring& wstr);
ARK_HOST_API std::wstring Utf8Decode(const std::string& str);
}  // namespace Tools

}  // namespace ArkApi

ARK_HOST_API std::vector<spdlog::sink_ptr>& GetLogSinks();

// The framework's logger holder, a class in the global namespace.
class Log {
public:
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    static Log& Get() {
        static Log instance;
        return instance;
    }
    static std::shared_ptr<spdlog::logger>& GetLog() { return Get().logger_; }

    void Init(const std::string& plugin_name) {
        auto& sinks = GetLogSinks();
        logger_ = std::make_shared<spdlog::logger>(plugin_name, begin(sinks), end(sinks));
        logger_->set_pattern("%D %R [%n][%l] %v");
        logger_->flush_on(spdlog::level::info);
    }

private:
    Log() = default;
    ~Log() = default;
    std::shared_ptr<spdlog::logger> logger_;
};

// What the sibling plugins export (Permissions.dll, ArkShop.dll); a plugin binds them by name at
// first use, since a sibling may load after it or not at all.
namespace Permissions {
bool IsPlayerHasPermission(uint64 steam_id, const FString& permission);
}
namespace ArkShop::Points {
bool SpendPoints(int amount, uint64 steam_id);
}
