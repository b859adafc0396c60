#include "Session.h"

#include <fmt/format.h>

#include <algorithm>
#include <sstream>
#include <string_view>
#include <thread>

#include "HostRuntime/HostState.h"
#include "LineSource.h"

namespace LockburyServer {

namespace {

const Sim::ClassInfo* FindClass(const std::string& name) {
    for (const auto& info : Sim::Server::Classes())
        if (info.name == name) return &info;
    return nullptr;
}

bool IsStructure(Sim::ClassInfo::Kind kind) {
    return kind == Sim::ClassInfo::Kind::Container || kind == Sim::ClassInfo::Kind::Structure;
}

const char* KindName(Sim::ClassInfo::Kind kind) {
    switch (kind) {
        case Sim::ClassInfo::Kind::Resource: return "resource";
        case Sim::ClassInfo::Kind::Tool: return "tool";
        case Sim::ClassInfo::Kind::Armour: return "armour";
        case Sim::ClassInfo::Kind::Food: return "food";
        case Sim::ClassInfo::Kind::Cryopod: return "cryopod";
        case Sim::ClassInfo::Kind::Container: return "container";
        case Sim::ClassInfo::Kind::Structure: return "structure";
    }
    return "?";
}

std::string Shortest(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Signed(std::int64_t value) { return (value >= 0 ? "+" : "") + std::to_string(value); }

float Coordinate(const std::string& word, const std::string& usage) {
    auto value = Words::Number(word);
    if (!value) throw UsageError("\"" + word + "\" is not a number; usage: " + usage);
    return static_cast<float>(*value);
}

// Opaque bytes standing for what a real item carries (a creature in a cryopod is large).
std::vector<std::uint8_t> Payload(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

constexpr std::size_t kAny = std::string::npos;
constexpr std::size_t kMaxPayload = 64u << 20;

}  // namespace

const std::map<std::string, Session::Command>& Session::Commands() {
    static const std::map<std::string, Command> commands = {
        {"join", {&Session::Join, 2, 2, "join NAME STEAMID"}},
        {"leave", {&Session::Leave, 1, 1, "leave NAME"}},
        {"give",
         {&Session::Give, 2, kAny,
          "give NAME CLASS [QTY] [slot=N] [engram] [initial] [durability=X] [spoil=SECONDS] [payload=BYTES]"}},
        {"inv", {&Session::Inv, 1, 1, "inv NAME"}},
        {"pos", {&Session::Pos, 4, 4, "pos NAME X Y Z"}},
        {"place", {&Session::Place, 4, kAny, "place CLASS X Y Z [DESCRIPTIVE NAME...]"}},
        {"kill", {&Session::Kill, 1, 1, "kill NAME"}},
        {"revive", {&Session::Revive, 1, 1, "revive NAME"}},
        {"chat", {&Session::Chat, 2, kAny, "chat NAME TEXT..."}},
        {"console", {&Session::Console, 2, kAny, "console NAME TEXT..."}},
        {"rcon", {&Session::Rcon, 1, kAny, "rcon TEXT..."}},
        {"damage", {&Session::Damage, 2, 2, "damage VICTIM SOURCE (a player's name or creature)"}},
        {"perm", {&Session::Perm, 3, 3, "perm NAME grant|revoke PERMISSION"}},
        {"points", {&Session::Points, 1, 2, "points NAME [N]"}},
        {"clock", {&Session::Clock, 1, 1, "clock +S | clock -S"}},
        {"wait", {&Session::Wait, 1, 1, "wait S | wait MSms"}},
        {"gametime", {&Session::GameTime, 1, 1, "gametime +S"}},
        {"reload", {&Session::Reload, 0, 0, "reload"}},
        {"classes", {&Session::Classes, 0, 0, "classes"}},
        {"help", {&Session::HelpCommand, 0, 0, "help"}},
        {"echo", {&Session::Echo, 0, kAny, "echo TEXT..."}},
        {"saveworld", {&Session::SaveWorld, 0, 0, "saveworld"}},
        {"crash", {&Session::Crash, 0, 0, "crash"}},
        {"crashinsave", {&Session::CrashInSave, 1, 1, "crashinsave before|after"}},
        {"quit", {&Session::Quit, 0, 0, "quit"}},
    };
    return commands;
}

std::string Session::Help() {
    return R"(commands (NAME is a player's name):
  join NAME STEAMID              a player joins: the character the world keeps for STEAMID, with its
                                 inventory; else a living character at the origin, empty inventory
  leave NAME                     the player leaves; the character stays in the world
  give NAME CLASS [QTY] [slot=N] [engram] [initial] [durability=X] [spoil=SECONDS] [payload=BYTES]
                                 a new item in the inventory; prints its object name
  inv NAME                       the inventory: object name, class, quantity, flags that are set
  pos NAME X Y Z                 moves the player
  place CLASS X Y Z [NAME...]    places a structure (optionally with a descriptive name); prints its object name
  kill NAME | revive NAME        the character dies | lives again
  chat NAME TEXT...              the player types a chat line
  console NAME TEXT...           the player types a console command
  rcon TEXT...                   an administrator sends a command over RCON; prints each reply line
  damage VICTIM SOURCE           a damage event; each side is a player's name or creature
  perm NAME grant|revoke PERM    the Permissions plugin's stand-in
  points NAME [N]                shows, or sets, the player's ArkShop points
  clock +S | clock -S            shifts the wall clock the plugin sees by S seconds
  wait S                         nobody does anything for S seconds: the wall clock and game time move
                                 on, and the plugin's once-a-second timer callbacks run for them
  wait MSms                      (e.g. wait 200ms) waits MS milliseconds of real time while the game
                                 loop runs its frames: the outcomes of moves on the store thread arrive
  gametime +S                    advances game time by S seconds
  reload                         unloads and loads the plugin again
  classes                        the item and structure classes, with their blueprint paths
  echo TEXT...                   prints TEXT (headings in scripts)
  saveworld                      the game's world save (plugin hooks run) into SavedArks/World.json
  crash                          the server process ends at once: no world save, no plugin unload (exit 137)
  crashinsave before|after       a world save that crashes inside the game's save, before or after its
                                 new file replaces the old one (exit 137)
  quit                           ends the session (as the end of the input does)
  help                           this list
blank lines and lines starting with # are ignored. The session starts from the folder's saved world
when it has one; its end (quit, end of input) is a clean shutdown: the world is saved, then the
plugin unloaded, each after the moves in flight ended. The game loop runs a frame before each line
that drives the game (join, leave, give, place, chat, console, rcon, damage, saveworld, wait): the
plugin's tick callbacks, and its timer callbacks once for each second of the wall clock since they
last ran; and between lines, 30 frames a second while it waits for input)";
}

Session::Session(const std::filesystem::path& serverDir, std::filesystem::path plugin, Printer& printer,
                 Sim::ServerOptions options)
    : plugin_(std::move(plugin)),
      printer_(printer),
      server_(std::make_unique<Sim::Server>(serverDir, options)),
      events_(std::make_unique<EventPrinter>(*server_, printer)) {
    server_->SetEcho([this](const std::string&) { events_->Flush(); });
    // Whatever happened before the crash is on the screen when the process ends.
    server_->OnCrash([this](const std::string& what) {
        events_->Flush();
        printer_.Line("[crash] " + what);
    });
}

Session::~Session() { Stop(); }

bool Session::Start() {
    try {
        server_->LoadPlugin(plugin_);
    } catch (const std::exception& e) {
        events_->Flush();
        printer_.Line("error: cannot load the plugin library " + plugin_.string() + ": " + e.what());
        return false;
    }
    events_->Flush();
    started_ = true;
    return true;
}

bool Session::Stop() {
    if (!server_) return true;
    bool ok = true;
    // A server that never started has no world of this session to keep.
    if (started_) {
        try {
            server_->SaveWorld();
        } catch (const std::exception& e) {
            events_->Flush();
            printer_.Line(std::string("error: saving the world at shutdown: ") + e.what());
            ok = false;
        }
    }
    try {
        if (server_->PluginLoaded()) server_->UnloadPlugin();
    } catch (const std::exception& e) {
        printer_.Line(std::string("error: unloading the plugin: ") + e.what());
        ok = false;
    }
    events_->Flush();
    events_.reset();
    server_.reset();
    return ok;
}

void Session::RunFrame() {
    lastFrame_ = std::chrono::steady_clock::now();
    server_->Frame();
    events_->Flush();
    for (const auto& escaped : HostRuntime::EscapedErrors()) printer_.Line("[host] error escaped the plugin: " + escaped);
    HostRuntime::ClearEscapedErrors();
}

void Session::Idle() {
    if (!started_ || !server_) return;
    if (std::chrono::steady_clock::now() - lastFrame_ < std::chrono::milliseconds(LineSource::kIdleMilliseconds)) return;
    RunFrame();
}

bool Session::Run(const std::string& rawLine, const std::string& where) {
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    Words words(line);
    if (words.Count() == 0 || words[0].front() == '#') return true;

    const auto& commands = Commands();
    auto found = commands.find(words[0]);
    if (found == commands.end()) {
        printer_.Line("error: " + where + "unknown command \"" + words[0] + "\" (help lists the commands)");
        return false;
    }
    const Command& command = found->second;
    std::size_t args = words.Count() - 1;
    if (args < command.minArgs || (command.maxArgs != kAny && args > command.maxArgs)) {
        printer_.Line("error: " + where + "usage: " + command.usage);
        return false;
    }
    bool ok = true;
    try {
        (this->*command.handler)(words);
    } catch (const UsageError& e) {
        printer_.Line("error: " + where + e.what());
        ok = false;
    } catch (const std::exception& e) {
        printer_.Line("error: " + where + words[0] + ": " + e.what());
        ok = false;
    }
    events_->Flush();
    // A fault that got past the plugin's own error boundary into the host is worth seeing.
    for (const auto& escaped : HostRuntime::EscapedErrors()) printer_.Line("[host] error escaped the plugin: " + escaped);
    HostRuntime::ClearEscapedErrors();
    return ok;
}

Sim::Player& Session::PlayerNamed(const std::string& name) {
    Sim::Player* player = server_->Find(name);
    if (!player) throw UsageError("no player named \"" + name + "\" (join NAME STEAMID first)");
    return *player;
}

Sim::Player* Session::Side(const std::string& name) {
    if (name == "creature") return nullptr;
    return &PlayerNamed(name);
}

void Session::Join(const Words& w) {
    if (w[1] == "creature") throw UsageError("\"creature\" stands for a creature in damage; pick another name");
    if (server_->Find(w[1])) throw UsageError("a player named \"" + w[1] + "\" is already here");
    auto id = Words::Unsigned(w[2]);
    if (!id || *id == 0) throw UsageError("STEAMID must be a positive 64-bit number; usage: join NAME STEAMID");
    server_->Join(w[1], *id);
    events_->Follow(w[1]);
}

void Session::Leave(const Words& w) {
    PlayerNamed(w[1]);
    events_->Forget(w[1]);
    server_->Leave(w[1]);
}

void Session::Give(const Words& w) {
    const std::string usage = Commands().at("give").usage;
    Sim::Player& player = PlayerNamed(w[1]);
    const Sim::ClassInfo* info = FindClass(w[2]);
    if (!info || IsStructure(info->kind)) throw UsageError("\"" + w[2] + "\" is not an item class (classes lists them)");
    Sim::ItemSpec spec;
    spec.className = info->name;
    std::size_t i = 3;
    if (i < w.Count() && w[i].find('=') == std::string::npos && w[i] != "engram" && w[i] != "initial") {
        auto qty = Words::Integer(w[i]);
        if (!qty || *qty < 1 || *qty > 1000000) throw UsageError("QTY must be a whole number from 1; usage: " + usage);
        spec.quantity = static_cast<int>(*qty);
        ++i;
    }
    for (; i < w.Count(); ++i) {
        const std::string& option = w[i];
        auto eq = option.find('=');
        std::string key = option.substr(0, eq);
        std::string value = eq == std::string::npos ? "" : option.substr(eq + 1);
        if (option == "engram") {
            spec.engram = true;
        } else if (option == "initial") {
            spec.initial = true;
        } else if (key == "slot" && eq != std::string::npos) {
            auto slot = Words::Integer(value);
            if (!slot || *slot < -1 || *slot > 1000) throw UsageError("slot=N takes a slot number; usage: " + usage);
            spec.slot = static_cast<int>(*slot);
        } else if (key == "durability" && eq != std::string::npos) {
            auto durability = Words::Number(value);
            if (!durability || *durability < 0) throw UsageError("durability=X takes a number; usage: " + usage);
            spec.durability = static_cast<float>(*durability);
        } else if (key == "spoil" && eq != std::string::npos) {
            auto seconds = Words::Number(value);
            if (!seconds || *seconds <= 0) throw UsageError("spoil=SECONDS takes seconds above 0; usage: " + usage);
            spec.spoilSeconds = seconds;
        } else if (key == "payload" && eq != std::string::npos) {
            auto size = Words::Unsigned(value);
            if (!size || *size > kMaxPayload)
                throw UsageError("payload=BYTES takes a byte count up to " + std::to_string(kMaxPayload) +
                                 "; usage: " + usage);
            spec.payload = Payload(*size);
        } else {
            throw UsageError(fmt::format("unknown option \"{}\"; usage: {}", option, usage));
        }
    }
    Sim::ItemView item = server_->Give(player, spec);
    events_->Flush();
    printer_.Line(item.objectName);
}

void Session::Inv(const Words& w) {
    Sim::Player& player = PlayerNamed(w[1]);
    auto items = player.Inventory();
    const std::string tag = "[inv " + w[1] + "] ";
    if (items.empty()) printer_.Line(tag + "empty");
    for (const auto& item : items) {
        std::string line = tag + item.objectName + " " + item.className + " qty=" + std::to_string(item.quantity);
        if (item.slot != -1) line += " slot=" + std::to_string(item.slot);
        if (item.engram) line += " engram";
        if (item.initial) line += " initial";
        if (item.durability > 0) line += " durability=" + Shortest(item.durability);
        if (item.canSpoil) line += " spoils-at=" + Shortest(static_cast<double>(item.nextSpoilingTime));
        if (!item.payload.empty()) line += " payload=" + std::to_string(item.payload.size());
        printer_.Line(line);
    }
}

void Session::Pos(const Words& w) {
    const std::string& usage = Commands().at("pos").usage;
    Sim::Player& player = PlayerNamed(w[1]);
    player.MoveTo(FVector{Coordinate(w[2], usage), Coordinate(w[3], usage), Coordinate(w[4], usage)});
}

void Session::Place(const Words& w) {
    const std::string& usage = Commands().at("place").usage;
    const Sim::ClassInfo* info = FindClass(w[1]);
    if (!info || !IsStructure(info->kind))
        throw UsageError("\"" + w[1] + "\" is not a structure class (classes lists them)");
    FVector at{Coordinate(w[2], usage), Coordinate(w[3], usage), Coordinate(w[4], usage)};
    std::string name = server_->Place(info->name, at, w.Count() > 5 ? w.RestFrom(5) : "");
    events_->Flush();
    printer_.Line(name);
}

void Session::Kill(const Words& w) { PlayerNamed(w[1]).Kill(); }

void Session::Revive(const Words& w) { PlayerNamed(w[1]).Revive(); }

void Session::Chat(const Words& w) {
    Sim::Player& player = PlayerNamed(w[1]);
    if (!server_->Chat(player, w.RestFrom(2))) {
        events_->Flush();
        printer_.Line("(no chat command took this line)");
    }
}

void Session::Console(const Words& w) {
    Sim::Player& player = PlayerNamed(w[1]);
    if (!server_->Console(player, w.RestFrom(2))) {
        events_->Flush();
        printer_.Line("(no console command \"" + w[2] + "\")");
    }
}

void Session::Rcon(const Words& w) {
    const std::vector<std::string> replies = server_->Rcon(w.RestFrom(1));
    events_->Flush();
    if (replies.empty()) printer_.Line("(the rcon command sent no reply)");
    for (const auto& reply : replies) {
        // A reply of several lines shows as several, each marked, as an RCON tool prints it.
        std::string_view rest = reply;
        do {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r')) line.remove_suffix(1);
            printer_.Line(line.empty() ? std::string("[rcon]") : "[rcon] " + std::string(line));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        } while (!rest.empty());
    }
}

void Session::Damage(const Words& w) { server_->Damage(Side(w[1]), Side(w[2])); }

void Session::Perm(const Words& w) {
    Sim::Player& player = PlayerNamed(w[1]);
    if (w[2] == "grant")
        server_->Grant(player.SteamId(), w[3]);
    else if (w[2] == "revoke")
        server_->Revoke(player.SteamId(), w[3]);
    else
        throw UsageError("expected grant or revoke, not \"" + w[2] + "\"; usage: perm NAME grant|revoke PERMISSION");
}

void Session::Points(const Words& w) {
    Sim::Player& player = PlayerNamed(w[1]);
    if (w.Count() > 2) {
        auto points = Words::Integer(w[2]);
        if (!points || *points < 0 || *points > 2000000000)
            throw UsageError("N must be a whole number of points from 0; usage: points NAME [N]");
        server_->SetPoints(player.SteamId(), static_cast<int>(*points));
    }
    printer_.Line("[points " + w[1] + "] " + std::to_string(server_->Points(player.SteamId())));
}

void Session::Clock(const Words& w) {
    auto seconds = Words::Integer(w[1]);
    if (!seconds || (w[1].front() != '+' && w[1].front() != '-'))
        throw UsageError("expected a signed number of seconds; usage: clock +S | clock -S");
    try {
        server_->ShiftClock(*seconds);
    } catch (const std::out_of_range& e) {
        throw UsageError(e.what());
    }
    printer_.Line("[clock] " + Signed(*seconds) + " s, now " + Signed(server_->ClockOffset()) + " s from the real clock");
}

void Session::Wait(const Words& w) {
    if (w[1].size() > 2 && w[1].ends_with("ms")) {
        auto ms = Words::Integer(w[1].substr(0, w[1].size() - 2));
        if (!ms || *ms < 0 || *ms > 600000)
            throw UsageError("expected milliseconds from 0 to 600000; usage: wait MSms (e.g. wait 200ms)");
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(*ms);
        while (std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_until(
                std::min(until, lastFrame_ + std::chrono::milliseconds(LineSource::kIdleMilliseconds)));
            RunFrame();
        }
        printer_.Line("[wait] " + std::to_string(*ms) + " ms");
        return;
    }
    auto seconds = Words::Integer(w[1]);
    if (!seconds || *seconds < 0 || *seconds > 86400) throw UsageError("expected seconds from 0 to 86400; usage: wait S");
    server_->Wait(*seconds);
    events_->Flush();
    printer_.Line("[wait] " + std::to_string(*seconds) + " s");
}

void Session::GameTime(const Words& w) {
    auto seconds = Words::Number(w[1]);
    if (!seconds || w[1].front() == '-' || *seconds < 0)
        throw UsageError("expected seconds to advance, not less than 0; usage: gametime +S");
    server_->AdvanceGameTime(*seconds);
    printer_.Line("[gametime] " + Shortest(server_->GameTime()) + " s");
}

void Session::Reload(const Words&) { server_->ReloadPlugin(); }

void Session::Classes(const Words&) {
    for (const auto& info : Sim::Server::Classes())
        printer_.Line(info.name + " " + KindName(info.kind) + " " + info.blueprintPath);
}

void Session::HelpCommand(const Words&) { printer_.Line(Help()); }

void Session::Echo(const Words& w) { printer_.Line(w.Count() > 1 ? w.RestFrom(1) : ""); }

void Session::SaveWorld(const Words&) {
    server_->SaveWorld();
    events_->Flush();
    printer_.Line("[world] saved to SavedArks/World.json");
}

void Session::Crash(const Words&) { server_->Crash(); }

void Session::CrashInSave(const Words& w) {
    if (w[1] == "before")
        server_->CrashInSave(Sim::SaveCrash::BeforeRename);
    else if (w[1] == "after")
        server_->CrashInSave(Sim::SaveCrash::AfterRename);
    throw UsageError("expected before or after, not \"" + w[1] + "\"; usage: crashinsave before|after");
}

void Session::Quit(const Words&) { ended_ = true; }

}  // namespace LockburyServer
