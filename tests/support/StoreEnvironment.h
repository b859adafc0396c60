#pragma once
// What the store needs around it, as Load provides it: the plugin configuration, the plugin
// logger on the host's sinks, and the host clock (unshifted, standing still), which the store reads
// with the C library's time() as the plugin does. Reset for every test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Database/MysqlDB.h"
#include "Host/FString.h"
#include "HostRuntime/HostState.h"
#include "Private/Config/Config.h"
#include "Private/Plugin/Log.h"
#include "Sim/GameText.h"
#include "support/TestDatabase.h"
#include "support/ThrowawayServer.h"

namespace StoreTest {

class StoreTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        Lockbury::Config() = {{"decay", 60}};
        Lockbury::MakeLog();
        HostRuntime::ClearLogLines();
        HostRuntime::SetClockOffset(0);
        // Reads are timed in whole seconds of this clock: standing still, it cannot tick between
        // the two readings. Shifts still move it.
        HostRuntime::SetFrozenClock(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    }
    void TearDown() override {
        HostRuntime::SetClockOffset(0);
        HostRuntime::SetFrozenClock(0);
    }

    // No pause after a failed connect: these tests restart servers and expect the next
    // statement to find them.
    std::unique_ptr<MySql> OpenStore(const TestSupport::DbParams& p) {
        StoreSettings settings;
        settings.reconnectInterval = 0;
        // As the plugin gives them: the decay of the configuration, asked each time, and its log.
        settings.decayMinutes = [] { return Lockbury::ConfigInt("decay"); };
        settings.log = Lockbury::GetLog();
        return std::make_unique<MySql>(p.host, p.user, p.password, p.database, p.port, settings);
    }

    // Log lines from "[Lockbury][level] " on, without the date and time.
    static std::vector<std::string> Log() {
        std::vector<std::string> out;
        for (const auto& line : HostRuntime::LogLines()) {
            const auto at = line.find("[Lockbury]");
            out.push_back(at == std::string::npos ? line : line.substr(at));
        }
        return out;
    }
    static void ClearLog() { HostRuntime::ClearLogLines(); }
};

// A suite with a MariaDB server of its own, started once for the suite (Suite::Prepare, when the
// suite has one, sets it up further). A server that does not start fails every test of the suite
// with the reason: a throw in SetUpTestSuite would only skip them.
template <typename Suite>
class SuiteWithItsOwnServer : public StoreTestBase {
public:
    static void Prepare(TestSupport::ThrowawayServer&) {}

protected:
    static void SetUpTestSuite() {
        try {
            server = new TestSupport::ThrowawayServer();
            Suite::Prepare(*server);
        } catch (const std::exception& e) {
            startError = e.what();
        }
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        StoreTestBase::SetUp();
        ASSERT_NE(server, nullptr) << startError;
    }

    static inline TestSupport::ThrowawayServer* server = nullptr;
    static inline std::string startError;
};

// UTF-8 text (NUL bytes included) as the game's string.
inline FString Wide(const std::string& utf8) { return Sim::GameText(utf8); }

// A save of one row, through the store's own save (so it writes its move-log record): whether
// it was committed.
inline bool AddItem(IDatabase& store, std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                    const std::string& itemdata) {
    return store.AddVaultRows(steamid, Wide(vault), {VaultRow::Item(Wide(itemname), itemdata)}).settlement ==
           Settlement::Committed;
}
inline bool AddResource(IDatabase& store, std::uint64_t steamid, const std::string& vault, const std::string& itemname,
                        const std::string& blueprint, std::int32_t qtd) {
    return store.AddVaultRows(steamid, Wide(vault), {VaultRow::Resource(Wide(itemname), Wide(blueprint), qtd)})
               .settlement == Settlement::Committed;
}

// At most limit rows of a vault as a load would claim them, the claim released at once so no
// row changes. A failed claim stays failed, told apart from an empty vault.
inline VaultRead<VaultItem> PeekItems(IDatabase& store, std::uint64_t steamid, const std::string& vault,
                                      std::int32_t limit) {
    VaultRead<VaultItem> claimed = store.ClaimVaultItems(steamid, Wide(vault), limit);
    if (claimed.records.Num() > 0) store.ReleaseClaim();
    return claimed;
}

}  // namespace StoreTest
