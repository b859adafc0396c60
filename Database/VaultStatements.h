#pragma once
// The statements of the vault table, u_vault. Texts arrive escaped by the connection
// (MySql::Text); numbers are written as they are.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class VaultStatements {
public:
    static const char* Create();

    // A save's rows, in batches: the head, then one value list per row.
    static const char* AddRowsHead();
    static std::string ItemValues(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                                  const std::string& itemdata, std::int64_t now);
    static std::string ResourceValues(std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                                      const std::string& blueprint, std::int32_t qtd, std::int64_t now);

    // A load's claim: at most limit rows of the vault, oldest first, read without locks (the candidates), then
    // those of them still in the vault, locked until the load settles.
    static std::string ClaimCandidates(std::uint64_t steamid, const std::string& vault, std::int32_t limit);
    static std::string Claim(const std::vector<std::int32_t>& candidates, std::uint64_t steamid, const std::string& vault);
    // The ids of a vault's rows, oldest first (a save's ids read back without RETURNING).
    static std::string Ids(std::uint64_t steamid, const std::string& vault);
    static std::string DeleteRows(const std::vector<std::int32_t>& ids);
    // Resource rows given in part keep what was not given: (id, quantity left).
    static std::string KeepRemainders(const std::vector<std::pair<std::int32_t, std::int32_t>>& remainders);
    // Which of the rows are still there, with their quantities.
    static std::string RowsStill(const std::vector<std::int32_t>& ids);

    // The player's vaults with their row counts and the time left before the oldest row decays.
    static std::string List(int decayMinutes, std::uint64_t steamid);
    // For administrators: a vault's rows without their bytes, oldest first.
    static std::string ReadRows(std::uint64_t steamid, const std::string& vault, std::int32_t limit);
};
