#include "bench/lockbury/RawDatabase.h"

#include <mysql.h>

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
    handle_ = mysql_init(nullptr);
    if (!handle_) throw std::runtime_error("mysql_init failed");
    if (!mysql_real_connect(handle_, server.host.c_str(), server.user.c_str(), server.password.c_str(),
                            database.empty() ? nullptr : database.c_str(), server.port, nullptr, 0)) {
        const std::string error = mysql_error(handle_);
        mysql_close(handle_);
        throw std::runtime_error("cannot connect to " + server.host + ":" + std::to_string(server.port) + ": " + error);
    }
}

RawDatabase::~RawDatabase() { mysql_close(handle_); }

void RawDatabase::Exec(const std::string& sql) {
    if (mysql_real_query(handle_, sql.data(), static_cast<unsigned long>(sql.size())) != 0)
        throw std::runtime_error(std::string("statement failed: ") + mysql_error(handle_) + ": " + sql.substr(0, 120));
    if (MYSQL_RES* result = mysql_store_result(handle_)) mysql_free_result(result);
}

std::vector<std::vector<std::string>> RawDatabase::Rows(const std::string& sql) {
    if (mysql_real_query(handle_, sql.data(), static_cast<unsigned long>(sql.size())) != 0)
        throw std::runtime_error(std::string("query failed: ") + mysql_error(handle_) + ": " + sql.substr(0, 120));
    MYSQL_RES* result = mysql_store_result(handle_);
    if (!result) throw std::runtime_error(std::string("no rows: ") + mysql_error(handle_));
    std::vector<std::vector<std::string>> rows;
    const unsigned columns = mysql_num_fields(result);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        std::vector<std::string>& out = rows.emplace_back();
        for (unsigned c = 0; c < columns; ++c) out.emplace_back(row[c] ? std::string(row[c], lengths[c]) : std::string());
    }
    mysql_free_result(result);
    return rows;
}

}  // namespace Bench
