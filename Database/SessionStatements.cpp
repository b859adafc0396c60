#include "Database/SessionStatements.h"

#include "Database/Text/Format.h"

std::string SessionStatements::Kill(unsigned long session) { return Formatting::Format("KILL CONNECTION {}", session); }

std::string SessionStatements::SessionCount(unsigned long session) {
    return Formatting::Format("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = {}", session);
}
