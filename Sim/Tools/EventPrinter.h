#pragma once
// Prints what players were shown and what the plugin logged, one event a line, in the order it
// happened: after each event the simulator reports, it prints whatever is new since the last time.
#include <map>
#include <string>
#include <vector>

#include "Printer.h"
#include "Sim/Server.h"

namespace LockburyServer {

class EventPrinter {
public:
    EventPrinter(Sim::Server& server, Printer& printer);

    // Follow this player's output from now on (after a join).
    void Follow(const std::string& name);
    // Stop following (before a leave); prints what is still pending first.
    void Forget(const std::string& name);
    // Prints every event not printed yet.
    void Flush();

    static std::string Format(const std::string& player, const Sim::Output& output, std::vector<std::string>* more);

private:
    void PrintOutput(const std::string& player, const Sim::Output& output);

    Sim::Server& server_;
    Printer& printer_;
    std::vector<std::string> order_;  // players in join order
    std::map<std::string, std::size_t> shown_;  // outputs printed per player
    std::size_t logShown_ = 0;
    bool flushing_ = false;
};

}  // namespace LockburyServer
