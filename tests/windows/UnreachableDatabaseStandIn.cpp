// NOT a database client. A stand-in for libmariadb.dll that lets the Windows test programs, and
// the plugin they load, start under wine on a machine without MariaDB Connector/C: every connect
// fails, as with a database that cannot be reached (the database-free tests need no more). It
// exports the functions cmake/libmariadb.def lists; those that need a connection never get one.
#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned kCannotConnect = 2002;  // CR_CONNECTION_ERROR, as a refused connection gives
constexpr unsigned kServerGone = 2006;  // CR_SERVER_GONE_ERROR

void SetError(MYSQL* mysql, unsigned code, const char* text) {
    if (!mysql) return;
    mysql->net.last_errno = code;
    std::snprintf(mysql->net.last_error, sizeof mysql->net.last_error, "%s", text);
}

}  // namespace

extern "C" {

MYSQL* STDCALL mysql_init(MYSQL* mysql) {
    const bool allocated = mysql == nullptr;
    if (allocated) mysql = static_cast<MYSQL*>(std::calloc(1, sizeof(MYSQL)));
    if (!mysql) return nullptr;
    if (!allocated) std::memset(mysql, 0, sizeof(MYSQL));
    mysql->free_me = allocated;
    return mysql;
}

int STDCALL mysql_options(MYSQL* /*mysql*/, enum mysql_option /*option*/, const void* /*arg*/) { return 0; }

MYSQL* STDCALL mysql_real_connect(MYSQL* mysql, const char* host, const char* /*user*/, const char* /*passwd*/,
                                  const char* /*db*/, unsigned int port, const char* /*unix_socket*/,
                                  unsigned long /*clientflag*/) {
    char text[MYSQL_ERRMSG_SIZE];
    std::snprintf(text, sizeof text,
                  "Can't connect to server on '%s' port %u (the Windows tests' stand-in for libmariadb.dll "
                  "reaches no database)",
                  host ? host : "", port);
    SetError(mysql, kCannotConnect, text);
    return nullptr;
}

void STDCALL mysql_close(MYSQL* mysql) {
    if (mysql && mysql->free_me) std::free(mysql);
}

unsigned int STDCALL mysql_errno(MYSQL* mysql) { return mysql ? mysql->net.last_errno : kCannotConnect; }
const char* STDCALL mysql_error(MYSQL* mysql) { return mysql ? mysql->net.last_error : "no connection"; }
unsigned long STDCALL mysql_thread_id(MYSQL* /*mysql*/) { return 0; }

// Nothing below can be reached without a connection; each answers as a dead one would.
int STDCALL mysql_real_query(MYSQL* mysql, const char* /*query*/, unsigned long /*length*/) {
    SetError(mysql, kServerGone, "MySQL server has gone away (no database behind the test stand-in)");
    return 1;
}
MYSQL_RES* STDCALL mysql_store_result(MYSQL* /*mysql*/) { return nullptr; }
unsigned int STDCALL mysql_field_count(MYSQL* /*mysql*/) { return 0; }
my_ulonglong STDCALL mysql_affected_rows(MYSQL* /*mysql*/) { return 0; }
my_ulonglong STDCALL mysql_insert_id(MYSQL* /*mysql*/) { return 0; }
unsigned long STDCALL mysql_real_escape_string(MYSQL* /*mysql*/, char* to, const char* /*from*/, unsigned long /*length*/) {
    if (to) *to = '\0';
    return static_cast<unsigned long>(-1);
}
void STDCALL mysql_data_seek(MYSQL_RES* /*result*/, my_ulonglong /*offset*/) {}
unsigned long* STDCALL mysql_fetch_lengths(MYSQL_RES* /*result*/) { return nullptr; }
MYSQL_ROW STDCALL mysql_fetch_row(MYSQL_RES* /*result*/) { return nullptr; }
void STDCALL mysql_free_result(MYSQL_RES* /*result*/) {}
unsigned int STDCALL mysql_num_fields(MYSQL_RES* /*result*/) { return 0; }
char* STDCALL mysql_get_server_info(MYSQL* /*mysql*/) { return nullptr; }

}  // extern "C"
