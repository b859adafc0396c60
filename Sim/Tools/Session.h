#pragma once
// One run of the simulated server: the command language of lockbury-server, one line at a time.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "EventPrinter.h"
#include "Printer.h"
#include "Sim/Server.h"
#include "Words.h"

namespace LockburyServer {

class Session {
public:
    // Restores the folder's saved world, if any; throws Sim::WorldFileError for a damaged one.
    Session(const std::filesystem::path& serverDir, std::filesystem::path plugin, Printer& printer,
            Sim::ServerOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the plugin as the framework would. False (with a line saying why) when the library
    // itself could not be loaded.
    bool Start();
    // Runs one line; false when the line was wrong: then one line saying what was expected is
    // printed, starting "error: " and `where` (e.g. "line 3: ").
    bool Run(const std::string& line, const std::string& where = "");
    // Ends the session as a clean server shutdown does: once the plugin was loaded, the world is
    // saved (hooks run), then the plugin is unloaded. False (with an error line) when the save or
    // the unload failed.
    bool Stop();
    // A frame of the game loop between lines, when one is due at the loop's fixed rate (the
    // plugin's tick callbacks apply what its store thread finished). What it shows is printed.
    void Idle();
    // True after quit: the caller reads no further line.
    bool Ended() const { return ended_; }

    static std::string Help();

private:
    using Handler = void (Session::*)(const Words&);
    struct Command {
        Handler handler;
        std::size_t minArgs;
        std::size_t maxArgs;  // words after the command; npos: any
        std::string usage;
    };
    static const std::map<std::string, Command>& Commands();

    Sim::Player& PlayerNamed(const std::string& name);
    Sim::Player* Side(const std::string& name);  // "creature" gives null

    void Join(const Words& w);
    void Leave(const Words& w);
    void Give(const Words& w);
    void Inv(const Words& w);
    void Pos(const Words& w);
    void Place(const Words& w);
    void Kill(const Words& w);
    void Revive(const Words& w);
    void Chat(const Words& w);
    void Console(const Words& w);
    void Rcon(const Words& w);
    void Damage(const Words& w);
    void Perm(const Words& w);
    void Points(const Words& w);
    void Clock(const Words& w);
    void Wait(const Words& w);
    void GameTime(const Words& w);
    void Reload(const Words& w);
    void Classes(const Words& w);
    void HelpCommand(const Words& w);
    void Echo(const Words& w);
    void SaveWorld(const Words& w);
    void Crash(const Words& w);
    void CrashInSave(const Words& w);
    void Quit(const Words& w);

    void RunFrame();

    std::chrono::steady_clock::time_point lastFrame_ = std::chrono::steady_clock::now();
    std::filesystem::path plugin_;
    Printer& printer_;
    std::unique_ptr<Sim::Server> server_;
    std::unique_ptr<EventPrinter> events_;
    bool started_ = false;
    bool ended_ = false;
};

// A wrong argument of a command: its text is the one line the user reads.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace LockburyServer
