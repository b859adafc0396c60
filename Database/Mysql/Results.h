#pragma once
#include <cstdint>
#include <string>

// The client library's types stay opaque here; only Results.cpp and Connection.cpp see them.
struct st_mysql;
struct st_mysql_res;

namespace ledra::mysql {

class connection;

// The outcome of one statement: whether it succeeded and, for a SELECT, its stored rows, read
// forwards. A fresh object starts on its first row. Rows are read without the connection's lock.
class results {
public:
    results() = default;  // a failed statement
    virtual ~results();

    results(const results&) = delete;
    results& operator=(const results&) = delete;
    // Moving hands the result set over, so it is freed exactly once.
    results(results&& other) noexcept;
    results& operator=(results&& other) noexcept;

    bool succeeded() const { return handle_ != nullptr; }
    // Rows an INSERT, UPDATE or DELETE changed, and the id given to the first row an INSERT
    // added (0 when it added none).
    std::uint64_t affected_rows() const { return affected_rows_; }
    std::uint64_t insert_id() const { return insert_id_; }
    // Columns of each row of the result set; 0 for a statement without one.
    unsigned columns() const;
    // True when there is no result set, or no current row.
    bool at_end();
    // Reads a column of the current row; false (target unchanged) without a row or for SQL NULL.
    // An int column follows std::stoi: leading blanks, a sign, digits up to the first other
    // character; throws std::invalid_argument / std::out_of_range when that gives no int32.
    bool get(unsigned column, std::int32_t& target);
    // The column's whole stored text, NUL bytes included.
    bool get(unsigned column, std::string& target);
    void next();

private:
    friend class connection;
    results(st_mysql* handle, st_mysql_res* result) : handle_(handle), result_(result) {}

    void first_fetch();
    void fetch();
    // The current row's column, or false when there is none or it is NULL.
    bool column(unsigned column, const char*& text, unsigned long& length);
    void release() noexcept;

    st_mysql* handle_ = nullptr;  // not owned; only tells that the statement succeeded
    st_mysql_res* result_ = nullptr;  // owned
    char** row_ = nullptr;  // current row; null before the first fetch and after the last
    unsigned long* lengths_ = nullptr;
    bool fetched_ = false;
    std::uint64_t affected_rows_ = 0;
    std::uint64_t insert_id_ = 0;
};

}  // namespace ledra::mysql
