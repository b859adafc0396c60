// lockbury-server: runs the Lockbury plugin on a simulated dedicated server, driven by a script or
// by hand, or checks a server folder's configuration before a restart.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ConfigCheck.h"
#include "LineSource.h"
#include "Printer.h"
#include "Session.h"

namespace {

constexpr int kOk = 0;
constexpr int kWrongLine = 1;  // also: the configuration check, or the world save at the end, failed
constexpr int kUsage = 2;
constexpr int kCannotStart = 3;

const char* const kUsageText =
    "usage: lockbury-server --server-dir DIR [--script FILE] [--name NAME] [--plugin LIB] [--verbose]\n"
    "                       [--restore-save-time=yes|no]\n"
    "       lockbury-server --check-config DIR [--plugin LIB]\n"
    "\n"
    "  --server-dir DIR    the game server's folder (config in DIR/ArkApi/Plugins/Lockbury/config.json,\n"
    "                      the saved world in DIR/SavedArks/World.json)\n"
    "  --script FILE       run the commands of FILE instead of reading standard input\n"
    "  --name NAME         tag every output line with [NAME] (several servers side by side)\n"
    "  --plugin LIB        the plugin library to load (default: the one built with this program)\n"
    "  --verbose           print each command line, as \"> line\", before what it does\n"
    "  --restore-save-time=yes|no\n"
    "                      whether the game restores AShooterGameMode.LastSaveWorldTime from the saved\n"
    "                      world at its start (yes, the default), or leaves it 0 until the first\n"
    "                      world save (no); which one a live server does is not known\n"
    "  --check-config DIR  load the plugin from DIR, report the registrations and whether the\n"
    "                      database answered; exit 1 when something is wrong\n"
    "\n"
    "Type help in a session for the commands.\n";

struct Options {
    std::string serverDir, script, name, checkDir;
    std::string plugin = LOCKBURY_PLUGIN_PATH;
    bool verbose = false;
    Sim::ServerOptions server;
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "lockbury-server: %s\n%s", text.c_str(), kUsageText);
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsageText, stdout);
            return kOk;
        }
        if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg.starts_with("--restore-save-time")) {
            const std::string given = arg.size() > 19 && arg[19] == '=' ? arg.substr(20) : "";
            if (given != "yes" && given != "no")
                return UsageError("--restore-save-time takes =yes or =no, not \"" + arg + "\"");
            options.server.restoreSaveTime = given == "yes";
        } else if ((arg == "--server-dir" && value(options.serverDir)) || (arg == "--script" && value(options.script)) ||
                   (arg == "--name" && value(options.name)) || (arg == "--plugin" && value(options.plugin)) ||
                   (arg == "--check-config" && value(options.checkDir))) {
        } else if (arg == "--server-dir" || arg == "--script" || arg == "--name" || arg == "--plugin" ||
                   arg == "--check-config") {
            return UsageError(arg + " needs a value");
        } else {
            return UsageError("unknown argument \"" + arg + "\"");
        }
    }

    std::error_code ec;
    if (!std::filesystem::is_regular_file(options.plugin, ec)) {
        std::fprintf(stderr, "lockbury-server: no plugin library at %s (build the Lockbury target, or pass --plugin)\n",
                     options.plugin.c_str());
        return kCannotStart;
    }

    if (!options.checkDir.empty()) {
        if (!options.serverDir.empty() || !options.script.empty())
            return UsageError("--check-config runs alone (with --plugin or --name at most)");
        if (!std::filesystem::is_directory(options.checkDir, ec)) {
            std::fprintf(stderr, "lockbury-server: no folder %s\n", options.checkDir.c_str());
            return kCannotStart;
        }
        LockburyServer::Printer printer(options.name);
        return LockburyServer::ConfigCheck(options.checkDir, options.plugin, LOCKBURY_SAMPLE_CONFIG, printer).Run();
    }

    if (options.serverDir.empty()) return UsageError("--server-dir DIR is required");
    if (!std::filesystem::is_directory(options.serverDir, ec)) {
        std::fprintf(stderr, "lockbury-server: no folder %s\n", options.serverDir.c_str());
        return kCannotStart;
    }

    std::unique_ptr<LockburyServer::LineSource> source;
    if (!options.script.empty()) {
        source = LockburyServer::LineSource::Script(options.script);
        if (!source->Open()) {
            std::fprintf(stderr, "lockbury-server: cannot read the script %s\n", options.script.c_str());
            return kCannotStart;
        }
    } else {
        source = LockburyServer::LineSource::StandardInput((options.name.empty() ? "lockbury" : options.name) + "> ");
    }

    LockburyServer::Printer printer(options.name);
    std::unique_ptr<LockburyServer::Session> started;
    try {
        started = std::make_unique<LockburyServer::Session>(options.serverDir, options.plugin, printer, options.server);
    } catch (const std::exception& e) {
        // A saved world that cannot be read back: the server does not start on a part of it.
        std::fprintf(stderr, "lockbury-server: cannot start: %s\n", e.what());
        return kCannotStart;
    }
    LockburyServer::Session& session = *started;
    if (!session.Start()) return kCannotStart;
    if (source->Interactive()) printer.Line("Lockbury loaded; help lists the commands, Ctrl-D ends the session.");

    bool anyWrong = false;
    while (!session.Ended()) {
        session.Idle();
        auto line = source->Next([&] { session.Idle(); });
        if (!line) break;
        if (options.verbose) {
            std::string shown = *line;
            while (!shown.empty() && (shown.back() == '\r')) shown.pop_back();
            auto first = shown.find_first_not_of(" \t");
            if (first != std::string::npos && shown[first] != '#' && shown.compare(first, 5, "echo ") != 0 &&
                shown.substr(first) != "echo")
                printer.Line("> " + shown);
        }
        std::string where = source->Interactive() ? "" : "line " + std::to_string(source->LineNumber()) + ": ";
        if (!session.Run(*line, where)) anyWrong = true;
    }
    // A clean shutdown: the world is saved, then the plugin unloaded.
    const bool stopped = session.Stop();
    return !stopped || (anyWrong && !source->Interactive()) ? kWrongLine : kOk;
}
