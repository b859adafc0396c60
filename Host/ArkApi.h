#pragma once
// The ArkApi entry points the plugin uses: hooks, commands, the world and the player output
// operations, tools and the log sinks. Implemented by the host runtime (libArkApiHost).
#include <spdlog/common.h>

#include <ctime>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "Game/Rcon.h"
#include "Game/World.h"

namespace ArkApi {

class ARK_HOST_API IHooks {
public:
    // Replaces the game function with the detour; *original receives the game's own entry.
    template <typename Fn>
    bool SetHook(const std::string& name, Fn detour, Fn* original) {
        return SetHookRaw(name, SignatureOf<std::remove_pointer_t<Fn>>(), reinterpret_cast<void*>(detour),
                          reinterpret_cast<void**>(original));
    }
    template <typename Fn>
    bool DisableHook(const std::string& name, Fn detour) {
        return DisableHookRaw(name, reinterpret_cast<void*>(detour));
    }
    // The same by the function's entry in the table of game names: its text and its signature.
    template <typename Signature>
    bool SetHook(const GameFunction<Signature>& function, std::type_identity_t<Signature>* detour,
                 std::type_identity_t<Signature>** original) {
        return SetHookRaw(function.name, function.Signature(), reinterpret_cast<void*>(detour),
                          reinterpret_cast<void**>(original));
    }
    template <typename Signature>
    bool DisableHook(const GameFunction<Signature>& function, std::type_identity_t<Signature>* detour) {
        return DisableHookRaw(function.name, reinterpret_cast<void*>(detour));
    }
    bool SetHookRaw(const std::string& name, const char* signature, void* detour, void** original);
    bool DisableHookRaw(const std::string& name, void* detour);
};

using ChatCallback = std::function<void(AShooterPlayerController*, FString*, EChatSendMode::Type)>;
using ConsoleCallback = std::function<void(APlayerController*, FString*, bool)>;
// Replies go back with connection->SendMessageW(packet->Id, 0, &text), once or more.
using RconCallback = std::function<void(RCONClientConnection*, RCONPacket*, UWorld*)>;

class ARK_HOST_API ICommands {
public:
    bool AddChatCommand(const FString& command, const ChatCallback& callback);
    bool AddConsoleCommand(const FString& command, const ConsoleCallback& callback);
    bool AddRconCommand(const FString& command, const RconCallback& callback);
    bool RemoveChatCommand(const FString& command);
    bool RemoveConsoleCommand(const FString& command);
    bool RemoveRconCommand(const FString& command);
};

ARK_HOST_API IHooks& GetHooks();
ARK_HOST_API ICommands& GetCommands();

class ARK_HOST_API IApiUtils {
public:
    // The current game world.
    UWorld* GetWorld();
    // The current world's game mode; null without a world.
    AShooterGameMode* GetShooterGameMode() {
        UWorld* world = GetWorld();
        return world ? static_cast<AShooterGameMode*>(world->AuthorityGameModeField()) : nullptr;
    }

    template <typename Format, typename... Args>
    void SendChatMessage(AShooterPlayerController* player, const FString& senderName, const Format& format,
                         Args&&... args) {
        if (!player) return;
        FChatMessage chat;
        chat.SenderName = senderName;
        chat.Message = FString::Format(format, std::forward<Args>(args)...);
        chat.ReceivedTime = -1.0;
        player->ClientChatMessage(std::move(chat));
    }

    template <typename Format, typename... Args>
    void SendServerMessage(AShooterPlayerController* player, FLinearColor colour, const Format& format, Args&&... args) {
        if (!player) return;
        FString text = FString::Format(format, std::forward<Args>(args)...);
        player->ClientServerChatDirectMessage(&text, colour, false);
    }

    template <typename Format, typename... Args>
    void SendNotification(AShooterPlayerController* player, FLinearColor colour, float displayScale, float displayTime,
                          UTexture2D* icon, const Format& format, Args&&... args) {
        if (!player) return;
        FString text = FString::Format(format, std::forward<Args>(args)...);
        player->ClientServerSOTFNotificationCustom(&text, colour, displayScale, displayTime, icon, nullptr);
    }
};

ARK_HOST_API IApiUtils& GetApiUtils();

namespace Tools {
// The game server's folder; the plugin appends paths that begin with "/".
ARK_HOST_API std::string GetCurrentDir();
ARK_HOST_API std::u16string Utf8Decode(const std::string& text);
// Wall-clock seconds since 1970 (the C library's time, as the host sees it).
ARK_HOST_API std::time_t GetTime();
}  // namespace Tools

}  // namespace ArkApi

ARK_HOST_API std::vector<spdlog::sink_ptr>& GetLogSinks();
