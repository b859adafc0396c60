#include "EventPrinter.h"

#include <algorithm>

#include "Sim/Colours.h"

namespace LockburyServer {

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    // A template that ends each entry with a line break leaves an empty last line: not worth a line.
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string ColourName(const FLinearColor& colour) {
    const std::string name = Sim::Colours::Name(colour);
    return name.empty() ? name : " " + name;
}

}  // namespace

EventPrinter::EventPrinter(Sim::Server& server, Printer& printer) : server_(server), printer_(printer) {}

void EventPrinter::Follow(const std::string& name) {
    if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
    shown_[name] = 0;
}

void EventPrinter::Forget(const std::string& name) {
    Flush();
    order_.erase(std::remove(order_.begin(), order_.end(), name), order_.end());
    shown_.erase(name);
}

std::string EventPrinter::Format(const std::string& player, const Sim::Output& output, std::vector<std::string>* more) {
    std::vector<std::string> lines = SplitLines(output.text);
    std::string head;
    switch (output.kind) {
        case Sim::Output::Kind::Chat: head = "[chat " + player + "] " + output.sender + ": "; break;
        case Sim::Output::Kind::Server: head = "[server " + player + ColourName(output.colour) + "] "; break;
        case Sim::Output::Kind::Notify: head = "[notify " + player + "] "; break;
    }
    if (more) {
        more->clear();
        for (std::size_t i = 1; i < lines.size(); ++i) more->push_back(std::string(head.size(), ' ') + lines[i]);
    }
    return head + lines.front();
}

void EventPrinter::PrintOutput(const std::string& player, const Sim::Output& output) {
    std::vector<std::string> more;
    printer_.Line(Format(player, output, &more));
    for (const auto& line : more) printer_.Line(line);
}

void EventPrinter::Flush() {
    // The simulator may report an event from inside a call that this flush itself makes.
    if (flushing_) return;
    flushing_ = true;
    for (const auto& name : order_) {
        Sim::Player* player = server_.Find(name);
        if (!player) continue;
        const auto& received = player->Received();
        std::size_t& shown = shown_[name];
        if (shown > received.size()) shown = 0;  // cleared meanwhile
        for (; shown < received.size(); ++shown) PrintOutput(name, received[shown]);
    }
    const auto& log = server_.LogLines();
    if (logShown_ > log.size()) logShown_ = 0;
    for (; logShown_ < log.size(); ++logShown_) {
        std::string line = log[logShown_];
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        printer_.Line("[log] " + line);
    }
    flushing_ = false;
}

}  // namespace LockburyServer
