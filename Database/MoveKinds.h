#pragma once
// Every kind of move the store writes down, in one table: the text a row holds in the move log's
// kind column (u_vault_log) and in the journal's (u_vault_journal). The tables' ENUMs are made
// from it, and a load gives a stored ENUM the values it lacks (Widened), so a kind added here
// reaches databases made by an earlier version.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Database/StoreResults.h"

// What a recovery does to a journaled move that the world restored lacks (MySql::UndoMove).
enum class JournalUndo {
    Kept,  // not a move of items, or one a recovery leaves as it is
    TakeBackSaved,  // the rows the save wrote become an unwind, handed back at the player's next join
    PutBackLoaded,  // the rows and quantities the load took are put back in the vault
};

struct MoveKindEntry {
    std::string_view text;
    bool logged;  // a kind of move-log record
    bool journaled;  // a kind of journal entry (crash safety)
    JournalUndo undo;
};

class MoveKinds {
public:
    static constexpr std::array<MoveKindEntry, 8> kAll{{
        {"save", true, true, JournalUndo::TakeBackSaved},
        {"load", true, true, JournalUndo::PutBackLoaded},  // an administrator's take is journaled as a load
        {"admin", true, false, JournalUndo::Kept},
        {"returned", true, false, JournalUndo::Kept},
        {"decay", true, false, JournalUndo::Kept},
        {"removed", true, false, JournalUndo::Kept},
        {"unwind", false, true, JournalUndo::Kept},
        {"applied", false, true, JournalUndo::Kept},
    }};

    // The entry of a stored kind text; nothing for a text this version does not know (a newer
    // server's kind).
    static const MoveKindEntry* Find(std::string_view text);
    // The move-log kind of a claim's move: an administrator's take is "admin", a player's "load".
    static std::string_view LogText(MoveKind kind);

    // "ENUM('save','load',...)": the logged or the journaled kinds, in the table's order.
    static std::string Enum(bool journaled);
    // "'save', 'load'": the journaled kinds a recovery undoes, for an IN (...).
    static std::string Undone();
    // "'a', 'b'": values quoted for an IN (...) or a log line.
    static std::string QuotedList(const std::vector<std::string>& values);
    // The values of a column type as information_schema gives it ("enum('save','load')").
    static std::vector<std::string> Values(const std::string& columnType);
    // The wanted kinds a stored column type lacks, in the table's order.
    static std::vector<std::string> Missing(const std::string& columnType, bool journaled);
    // The stored values in their order (a newer server's among them), then the missing ones:
    // rows keep their values, and no server's kind is taken away.
    static std::string Widened(const std::string& columnType, bool journaled);
    // The kind column's type as stored in a table of this database.
    static std::string ReadColumnType(const char* table);
    // The kind column of the table given Widened's values (an ALGORITHM or LOCK clause may follow).
    static std::string Widen(const char* table, const std::string& columnType, bool journaled);
};
