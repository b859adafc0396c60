// ArkApi's chat, console and RCON command tables, and the dispatch of a typed line or packet.
#include "Commands.h"

#include <cwctype>
#include <exception>
#include <mutex>

#include "HostState.h"

namespace {

using ChatCallback = std::function<void(AShooterPlayerController*, FString*, EChatSendMode::Type)>;
using ConsoleCallback = std::function<void(APlayerController*, FString*, bool)>;
using RconCallback = std::function<void(RCONClientConnection*, RCONPacket*, UWorld*)>;
using TickCallback = std::function<void(float)>;
using TimerCallback = std::function<void()>;

std::wstring_view View(const FString& text) { return {*text, static_cast<std::size_t>(text.Len())}; }

bool EqualIgnoreCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
    return true;
}

std::wstring_view FirstWord(std::wstring_view line) {
    std::size_t start = line.find_first_not_of(L' ');
    if (start == std::wstring_view::npos) return {};
    std::size_t end = line.find(L' ', start);
    return line.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
}

template <typename Callback>
class CommandTable {
public:
    // As the framework's: no check; a name added twice is found first where it was added first.
    void Add(const FString& name, const Callback& callback) {
        std::lock_guard lock(mutex_);
        commands_.push_back({std::wstring(View(name)), callback});
    }
    bool Remove(const FString& name) {
        std::lock_guard lock(mutex_);
        auto it = FindLocked(View(name));
        if (it == commands_.end()) return false;
        commands_.erase(it);
        return true;
    }
    // Copies of every entry, so that a callback may change the table while they run.
    std::vector<std::pair<std::wstring, Callback>> All() const {
        std::lock_guard lock(mutex_);
        std::vector<std::pair<std::wstring, Callback>> all;
        all.reserve(commands_.size());
        for (const auto& c : commands_) all.emplace_back(c.name, c.callback);
        return all;
    }
    // A copy, so that a handler may change the table while it runs.
    Callback Lookup(std::wstring_view word) const {
        std::lock_guard lock(mutex_);
        auto it = FindLocked(word);
        return it == commands_.end() ? Callback() : it->callback;
    }
    std::vector<std::string> Names() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        names.reserve(commands_.size());
        for (const auto& c : commands_) names.push_back(Utf::WideToUtf8(c.name));
        return names;
    }

private:
    struct Command {
        std::wstring name;
        Callback callback;
    };
    auto FindLocked(std::wstring_view name) const {
        return std::find_if(commands_.begin(), commands_.end(),
                            [&](const Command& c) { return EqualIgnoreCase(c.name, name); });
    }

    mutable std::mutex mutex_;
    std::vector<Command> commands_;
};

CommandTable<ChatCallback>& ChatTable() {
    static CommandTable<ChatCallback> table;
    return table;
}
CommandTable<ConsoleCallback>& ConsoleTable() {
    static CommandTable<ConsoleCallback> table;
    return table;
}
CommandTable<RconCallback>& RconTable() {
    static CommandTable<RconCallback> table;
    return table;
}
CommandTable<TickCallback>& TickTable() {
    static CommandTable<TickCallback> table;
    return table;
}
CommandTable<TimerCallback>& TimerTable() {
    static CommandTable<TimerCallback> table;
    return table;
}

template <typename Run>
void RunHandler(const char* table, std::wstring_view word, Run&& run) {
    const std::string what = std::string(table) + " '" + Utf::WideToUtf8(word) + "'";
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

void ICommands::AddChatCommand(const FString& command, const ChatCallback& callback) { ChatTable().Add(command, callback); }
void ICommands::AddConsoleCommand(const FString& command, const ConsoleCallback& callback) {
    ConsoleTable().Add(command, callback);
}
void ICommands::AddRconCommand(const FString& command, const RconCallback& callback) { RconTable().Add(command, callback); }
void ICommands::AddOnTickCallback(const FString& id, const TickCallback& callback) { TickTable().Add(id, callback); }
void ICommands::AddOnTimerCallback(const FString& id, const TimerCallback& callback) { TimerTable().Add(id, callback); }
bool ICommands::RemoveOnTickCallback(const FString& id) { return TickTable().Remove(id); }
bool ICommands::RemoveOnTimerCallback(const FString& id) { return TimerTable().Remove(id); }
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
    const std::wstring_view word = FirstWord(View(*line));
    if (word.empty()) return false;
    auto callback = ChatTable().Lookup(word);
    if (!callback) return false;
    RunHandler("chat command", word, [&] { callback(player, line, mode); });
    return true;
}

bool DispatchConsole(APlayerController* player, FString* line, bool checkAuth) {
    const std::wstring_view word = FirstWord(View(*line));
    if (word.empty()) return false;
    auto callback = ConsoleTable().Lookup(word);
    if (!callback) return false;
    RunHandler("console command", word, [&] { callback(player, line, checkAuth); });
    return true;
}

bool DispatchRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
    const std::wstring_view word = FirstWord(View(packet->Body));
    if (word.empty()) return false;
    auto callback = RconTable().Lookup(word);
    if (!callback) return false;
    RunHandler("rcon command", word, [&] { callback(connection, packet, world); });
    return true;
}

void RunTickCallbacks(float seconds) {
    for (const auto& entry : TickTable().All()) RunHandler("tick callback", entry.first, [&] { entry.second(seconds); });
}

void RunTimerCallbacks() {
    for (const auto& entry : TimerTable().All()) RunHandler("timer callback", entry.first, [&] { entry.second(); });
}

std::vector<std::string> ChatCommandNames() { return ChatTable().Names(); }
std::vector<std::string> ConsoleCommandNames() { return ConsoleTable().Names(); }
std::vector<std::string> RconCommandNames() { return RconTable().Names(); }
std::vector<std::string> TickCallbackIds() { return TickTable().Names(); }
std::vector<std::string> TimerCallbackIds() { return TimerTable().Names(); }

}  // namespace HostRuntime
