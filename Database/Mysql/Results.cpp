#include "Database/Mysql/Results.h"

#include <mysql.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace ledra::mysql {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// std::stoi's rules (base 10), with texts that say what went wrong.
std::int32_t ToInt32(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    // Accumulate as a negative number so INT32_MIN fits; saturate once far out of range.
    std::int64_t value = 0;
    bool outOfRange = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (!outOfRange) {
            value = value * 10 - (text[i] - '0');
            if (value < std::numeric_limits<std::int32_t>::min() - std::int64_t{1}) outOfRange = true;
        }
    }
    if (i == firstDigit) throw std::invalid_argument("invalid stoi argument");
    if (!negative) value = -value;
    if (outOfRange || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw std::out_of_range("stoi argument out of range");
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

results::~results() { release(); }

results::results(results&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      result_(std::exchange(other.result_, nullptr)),
      row_(std::exchange(other.row_, nullptr)),
      lengths_(std::exchange(other.lengths_, nullptr)),
      fetched_(std::exchange(other.fetched_, false)),
      affected_rows_(std::exchange(other.affected_rows_, 0)),
      insert_id_(std::exchange(other.insert_id_, 0)) {}

results& results::operator=(results&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, nullptr);
        result_ = std::exchange(other.result_, nullptr);
        row_ = std::exchange(other.row_, nullptr);
        lengths_ = std::exchange(other.lengths_, nullptr);
        fetched_ = std::exchange(other.fetched_, false);
        affected_rows_ = std::exchange(other.affected_rows_, 0);
        insert_id_ = std::exchange(other.insert_id_, 0);
    }
    return *this;
}

void results::release() noexcept {
    if (result_) mysql_free_result(result_);
    result_ = nullptr;
    row_ = nullptr;
    lengths_ = nullptr;
}

void results::fetch() {
    row_ = mysql_fetch_row(result_);
    lengths_ = row_ ? mysql_fetch_lengths(result_) : nullptr;
}

void results::first_fetch() {
    if (fetched_ || !result_) return;
    mysql_data_seek(result_, 0);
    fetch();
    fetched_ = true;
}

unsigned results::columns() const { return result_ ? mysql_num_fields(result_) : 0; }

bool results::at_end() {
    if (!result_) return true;
    first_fetch();
    return row_ == nullptr;
}

void results::next() {
    if (result_) fetch();
}

bool results::column(unsigned column, const char*& text, unsigned long& length) {
    if (!result_) return false;
    first_fetch();
    if (!row_ || column >= mysql_num_fields(result_) || !row_[column]) return false;
    text = row_[column];
    length = lengths_ ? lengths_[column] : std::strlen(text);
    return true;
}

bool results::get(unsigned column, std::int32_t& target) {
    const char* text = nullptr;
    unsigned long length = 0;
    if (!this->column(column, text, length)) return false;
    target = ToInt32(std::string(text));  // up to the first NUL, as a C string
    return true;
}

bool results::get(unsigned column, std::string& target) {
    const char* text = nullptr;
    unsigned long length = 0;
    if (!this->column(column, text, length)) return false;
    target.assign(text, length);
    return true;
}

}  // namespace ledra::mysql
