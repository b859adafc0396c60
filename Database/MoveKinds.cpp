#include "Database/MoveKinds.h"

#include <algorithm>

#include "Database/Text/Format.h"

namespace {

std::string EnumOf(const std::vector<std::string>& values) {
    std::string text = "ENUM(";
    for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ",'" : "'") + values[i] + "'";
    return text + ")";
}

std::vector<std::string> Wanted(bool journaled) {
    std::vector<std::string> values;
    for (const MoveKindEntry& kind : MoveKinds::kAll)
        if (journaled ? kind.journaled : kind.logged) values.emplace_back(kind.text);
    return values;
}

}  // namespace

std::string MoveKinds::Enum(bool journaled) { return EnumOf(Wanted(journaled)); }

std::string MoveKinds::QuotedList(const std::vector<std::string>& values) {
    std::string list;
    for (const std::string& value : values) list += (list.empty() ? "'" : ", '") + value + "'";
    return list;
}

std::string MoveKinds::Undone() {
    std::vector<std::string> undone;
    for (const MoveKindEntry& kind : kAll)
        if (kind.journaled && kind.undo != JournalUndo::Kept) undone.emplace_back(kind.text);
    return QuotedList(undone);
}

const MoveKindEntry* MoveKinds::Find(std::string_view text) {
    const auto entry =
        std::find_if(kAll.begin(), kAll.end(), [text](const MoveKindEntry& kind) { return kind.text == text; });
    return entry == kAll.end() ? nullptr : &*entry;
}

std::string_view MoveKinds::LogText(MoveKind kind) {
    switch (kind) {
        case MoveKind::Save: return "save";
        case MoveKind::Admin: return "admin";
        case MoveKind::Load: break;
    }
    return "load";
}

std::vector<std::string> MoveKinds::Values(const std::string& columnType) {
    // Kind texts hold no quotes, so every value is the text between a pair of them.
    std::vector<std::string> values;
    for (std::size_t open = columnType.find('\''); open != std::string::npos;) {
        const std::size_t close = columnType.find('\'', open + 1);
        if (close == std::string::npos) break;
        values.push_back(columnType.substr(open + 1, close - open - 1));
        open = columnType.find('\'', close + 1);
    }
    return values;
}

std::vector<std::string> MoveKinds::Missing(const std::string& columnType, bool journaled) {
    const std::vector<std::string> stored = Values(columnType);
    std::vector<std::string> missing;
    for (std::string& value : Wanted(journaled))
        if (std::find(stored.begin(), stored.end(), value) == stored.end()) missing.push_back(std::move(value));
    return missing;
}

std::string MoveKinds::Widened(const std::string& columnType, bool journaled) {
    std::vector<std::string> values = Values(columnType);
    for (std::string& value : Missing(columnType, journaled)) values.push_back(std::move(value));
    return EnumOf(values);
}

std::string MoveKinds::ReadColumnType(const char* table) {
    return Formatting::Format(
        "SELECT COLUMN_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '{}' AND "
        "COLUMN_NAME = 'kind'",
        table);
}

std::string MoveKinds::Widen(const char* table, const std::string& columnType, bool journaled) {
    return Formatting::Format("ALTER TABLE {} MODIFY kind {} NOT NULL", table, Widened(columnType, journaled));
}
