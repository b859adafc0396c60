// What administrators read: a player's vaults, one vault's rows and the move log. Reads only.

#include <charconv>
#include <ctime>
#include <utility>

#include "Private/Admin/AdminCommands.h"
#include "Private/Admin/PlayerArgument.h"
#include "Private/Commands/ChatWords.h"
#include "Private/Config/Config.h"
#include "Private/Text/Format.h"
#include "Private/Vault/StoreWorker.h"
#include "Private/Vault/VaultName.h"

namespace Lockbury::Admin {
namespace {

constexpr const char* kUnavailable = "The vault store cannot be reached right now; see the server log.";
constexpr int kMostRows = 200;
constexpr int kDefaultMoves = 20;
constexpr int kMostMoves = 200;

// The words of the line, the player of the second, or the line that says what is wrong.
struct Parsed {
    std::vector<FString> words;
    PlayerArgument player;
    Lines problem;
};
Parsed Parse(const FString& line, std::size_t least, std::size_t most, const char* usage) {
    Parsed parsed;
    parsed.words = Commands::SplitWords(line);
    if (parsed.words.size() < least || parsed.words.size() > most) {
        parsed.problem = {Format("Usage: {} (PLAYER: a steam id, or the name of a player on this server)", usage)};
        return parsed;
    }
    parsed.player = FindPlayer(parsed.words[1]);
    if (parsed.player.steamId == 0) parsed.problem = {parsed.player.error};
    return parsed;
}

// Reads with the store and answers with the lines format makes of what it read: from the console
// when the read is back, over RCON on the game thread within queryTimeout.
template <typename Record>
void ReadThen(const Reply& reply, std::function<VaultRead<Record>(IDatabase&)> read,
              std::function<Lines(const VaultRead<Record>&)> format) {
    StoreWorker* worker = storeWorker().get();
    if (!worker) {
        reply.send(format(VaultRead<Record>{true, {}}));
        return;
    }
    if (reply.admin == 0) {
        const auto limit = std::chrono::seconds(ConfigInt("queryTimeout", 10));
        const std::optional<VaultRead<Record>> answer =
            worker->Call<VaultRead<Record>>(std::move(read), std::chrono::duration_cast<std::chrono::milliseconds>(limit));
        reply.send(format(answer ? *answer : VaultRead<Record>{true, {}}));
        return;
    }
    worker->Submit(reply.admin, [reply, read = std::move(read), format = std::move(format)](IDatabase& store) {
        VaultRead<Record> answer = read(store);
        return StoreWorker::Outcome([reply, format, answer = std::move(answer)] { reply.send(format(answer)); });
    });
}

}  // namespace

std::string UtcTime(std::int64_t seconds) {
    // The civil date of a day count since 1970-01-01 (proleptic Gregorian), without the C
    // library's gmtime, which is not thread-safe and refuses years past 9999 on Windows.
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t inDay = seconds - days * 86400;
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return Format("{:04}-{:02}-{:02} {:02}:{:02}:{:02} UTC", year, month, day, inDay / 3600, inDay % 3600 / 60, inDay % 60);
}

void Vaults(const FString& line, const Reply& reply) {
    Parsed parsed = Parse(line, 2, 2, "vaults PLAYER");
    if (!parsed.problem.empty()) return reply.send(parsed.problem);
    const std::uint64_t steamId = parsed.player.steamId;
    ReadThen<VaultList>(
        reply, [steamId](IDatabase& store) { return store.ReadVaultList(steamId); },
        [parsed = std::move(parsed)](const VaultRead<VaultList>& read) -> Lines {
            if (read.failed) return {kUnavailable};
            if (read.records.Num() == 0) return {Format("{} has no vaults", parsed.player.label)};
            Lines lines{Format("Vaults of {}: {}", parsed.player.label, read.records.Num())};
            for (const auto& vault : read.records)
                lines.push_back(Format("  {}: {} items, decays in {}", vault->vaultname, vault->total, vault->falta));
            return lines;
        });
}

void VaultItems(const FString& line, const Reply& reply) {
    Parsed parsed = Parse(line, 3, 3, "vaultitems PLAYER VAULT");
    if (!parsed.problem.empty()) return reply.send(parsed.problem);
    FString vault = SanitizeVaultName(parsed.words[2]);
    const std::uint64_t steamId = parsed.player.steamId;
    ReadThen<StoredRow>(
        reply, [steamId, vault](IDatabase& store) { return store.ReadVaultRows(steamId, vault, kMostRows + 1); },
        [parsed = std::move(parsed), vault](const VaultRead<StoredRow>& read) -> Lines {
            if (read.failed) return {kUnavailable};
            if (read.records.Num() == 0) return {Format("{} has no vault named {}", parsed.player.label, vault.ToString())};
            Lines lines{Format("Vault {} of {}:", vault.ToString(), parsed.player.label)};
            for (int i = 0; i < read.records.Num() && i < kMostRows; ++i) {
                const StoredRow& row = *read.records[i];
                lines.push_back(Format("  #{} {} x{}, saved {}", row.id, row.itemname, row.quantity, UtcTime(row.savedAt)));
            }
            if (read.records.Num() > kMostRows)
                lines.push_back(Format("  ... more rows than the first {} shown", kMostRows));
            return lines;
        });
}

void VaultLog(const FString& line, const Reply& reply) {
    Parsed parsed = Parse(line, 2, 3, "vaultlog PLAYER [N]");
    if (!parsed.problem.empty()) return reply.send(parsed.problem);
    int count = kDefaultMoves;
    if (parsed.words.size() == 3) {
        const std::string text = parsed.words[2].ToString();
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > kMostMoves)
            return reply.send({Format("Usage: vaultlog PLAYER [N]: N is a number of moves from 1 to {}", kMostMoves)});
    }
    const std::uint64_t steamId = parsed.player.steamId;
    ReadThen<MoveRecord>(
        reply, [steamId, count](IDatabase& store) { return store.ReadMoveLog(steamId, count); },
        [parsed = std::move(parsed)](const VaultRead<MoveRecord>& read) -> Lines {
            if (read.failed) return {kUnavailable};
            if (read.records.Num() == 0) return {Format("No moves of {} on record", parsed.player.label)};
            Lines lines{Format("Last {} moves of {}, newest first:", read.records.Num(), parsed.player.label)};
            for (const auto& move : read.records) {
                const std::string kind = move->kind == "admin" ? Format("admin take by {}", move->by) : move->kind;
                lines.push_back(Format("  {} {} {} {}: {} rows: {}", UtcTime(move->at), move->server, kind, move->vaultname,
                                       move->rows, move->summary.empty() ? "-" : move->summary));
            }
            return lines;
        });
}

}  // namespace Lockbury::Admin
