// ArkApi's chat, console and RCON command tables, and the dispatch of a typed line or packet.
#include "Commands.h"

#include <cwctype>
#include <exception>
#include <mutex>

#include "HostState.h"

namespace {

bool EqualIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
    return true;
}

std::u16string_view FirstWord(std::u16string_view line) {
    std::size_t start = line.find_first_not_of(u' ');
    if (start == std::u16string_view::npos) return {};
    std::size_t end = line.find(u' ', start);
    return line.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
}

template <typename Callback>
class CommandTable {
public:
    bool Add(const FString& name, const Callback& callback) {
        std::lock_guard lock(mutex_);
        if (name.IsEmpty() || !callback || FindLocked(name.View()) != commands_.end()) return false;
        commands_.push_back({std::u16string(name.View()), callback});
        return true;
    }
    bool Remove(const FString& name) {
        std::lock_guard lock(mutex_);
        auto it = FindLocked(name.View());
        if (it == commands_.end()) return false;
        commands_.erase(it);
        return true;
    }
    // A copy, so that a handler may change the table while it runs.
    Callback Lookup(std::u16string_view word) const {
        std::lock_guard lock(mutex_);
        auto it = FindLocked(word);
        return it == commands_.end() ? Callback() : it->callback;
    }
    std::vector<std::string> Names() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        for (const auto& c : commands_) names.push_back(Utf::Utf16ToUtf8(c.name));
        return names;
    }

private:
    struct Command {
        std::u16string name;
        Callback callback;
    };
    auto FindLocked(std::u16string_view name) const {
        return std::find_if(commands_.begin(), commands_.end(),
                            [&](const Command& c) { return EqualIgnoreCase(c.name, name); });
    }

    mutable std::mutex mutex_;
    std::vector<Command> commands_;
};

CommandTable<ArkApi::ChatCallback>& ChatTable() {
    static CommandTable<ArkApi::ChatCallback> table;
    return table;
}
CommandTable<ArkApi::ConsoleCallback>& ConsoleTable() {
    static CommandTable<ArkApi::ConsoleCallback> table;
    return table;
}
CommandTable<ArkApi::RconCallback>& RconTable() {
    static CommandTable<ArkApi::RconCallback> table;
    return table;
}

template <typename Run>
void RunHandler(const char* table, std::u16string_view word, Run&& run) {
    const std::string what = std::string(table) + " command '" + Utf::Utf16ToUtf8(word) + "'";
    try {
        run();
    } catch (const std::exception& e) {
        HostRuntime::RecordEscapedError(what + ": " + e.what());
    } catch (...) {
        HostRuntime::RecordEscapedError(what + ": an error that is not a std::exception");
    }
}

}  // namespace

namespace ArkApi {

bool ICommands::AddChatCommand(const FString& command, const ChatCallback& callback) {
    return ChatTable().Add(command, callback);
}
bool ICommands::AddConsoleCommand(const FString& command, const ConsoleCallback& callback) {
    return ConsoleTable().Add(command, callback);
}
bool ICommands::AddRconCommand(const FString& command, const RconCallback& callback) {
    return RconTable().Add(command, callback);
}
bool ICommands::RemoveChatCommand(const FString& command) { return ChatTable().Remove(command); }
bool ICommands::RemoveConsoleCommand(const FString& command) { return ConsoleTable().Remove(command); }
bool ICommands::RemoveRconCommand(const FString& command) { return RconTable().Remove(command); }

ICommands& GetCommands() {
    static ICommands commands;
    return commands;
}

}  // namespace ArkApi

namespace HostRuntime {

bool DispatchChat(AShooterPlayerController* player, FString* line, EChatSendMode::Type mode) {
    const std::u16string_view word = FirstWord(line->View());
    if (word.empty()) return false;
    auto callback = ChatTable().Lookup(word);
    if (!callback) return false;
    RunHandler("chat", word, [&] { callback(player, line, mode); });
    return true;
}

bool DispatchConsole(APlayerController* player, FString* line, bool checkAuth) {
    const std::u16string_view word = FirstWord(line->View());
    if (word.empty()) return false;
    auto callback = ConsoleTable().Lookup(word);
    if (!callback) return false;
    RunHandler("console", word, [&] { callback(player, line, checkAuth); });
    return true;
}

bool DispatchRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
    const std::u16string_view word = FirstWord(packet->Body.View());
    if (word.empty()) return false;
    auto callback = RconTable().Lookup(word);
    if (!callback) return false;
    RunHandler("rcon", word, [&] { callback(connection, packet, world); });
    return true;
}

std::vector<std::string> ChatCommandNames() { return ChatTable().Names(); }
std::vector<std::string> ConsoleCommandNames() { return ConsoleTable().Names(); }
std::vector<std::string> RconCommandNames() { return RconTable().Names(); }

}  // namespace HostRuntime
