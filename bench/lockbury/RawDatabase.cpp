#include "bench/lockbury/RawDatabase.h"

#include <cstdlib>
#include <stdexcept>

namespace Bench {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        throw std::runtime_error(std::string(name) + " is not set; start the private server: eval \"$(scripts/db start)\"");
    return value;
}

}  // namespace

DbServer DbServer::FromEnvironment() {
    DbServer s;
    s.host = Env("LOCKBURY_DB_HOST");
    s.port = static_cast<unsigned>(std::stoul(Env("LOCKBURY_DB_PORT")));
    s.user = Env("LOCKBURY_DB_USER");
    s.password = Env("LOCKBURY_DB_PASS");
    return s;
}

RawDatabase::RawDatabase(const DbServer& server, const std::string& database) {
    ledra::mysql::connection_options options;
    options.host = server.host;
    options.user = server.user;
    options.password = server.password;
    options.database = database;
    options.port = server.port;
    if (!db_.open(options))
        throw std::runtime_error("cannot connect to " + server.host + ":" + std::to_string(server.port) + ": " +
                                 db_.last_error_text());
}

ledra::mysql::results RawDatabase::Run(const std::string& sql, const char* what) {
    ledra::mysql::results result = db_.query(sql);
    if (!result.succeeded())
        throw std::runtime_error(std::string(what) + " failed: " + db_.last_error_text() + ": " + sql.substr(0, 120));
    return result;
}

void RawDatabase::Exec(const std::string& sql) { Run(sql, "statement"); }

std::vector<std::vector<std::string>> RawDatabase::Rows(const std::string& sql) {
    ledra::mysql::results result = Run(sql, "query");
    const unsigned columns = result.columns();
    if (columns == 0) throw std::runtime_error("no rows: the statement gives no result set: " + sql.substr(0, 120));
    std::vector<std::vector<std::string>> rows;
    for (; !result.at_end(); result.next()) {
        std::vector<std::string>& out = rows.emplace_back(columns);
        for (unsigned c = 0; c < columns; ++c) result.get(c, out[c]);  // NULL stays empty
    }
    return rows;
}

}  // namespace Bench
