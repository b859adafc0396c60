// The connection layer on crafted statements against the test server.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "Database/Mysql/Connection.h"
#include "support/TestDatabase.h"

namespace {

using ledra::mysql::connection;
using ledra::mysql::connection_options;

connection_options Options(const TestSupport::DbParams& p) {
    connection_options o;
    o.host = p.host;
    o.user = p.user;
    o.password = p.password;
    o.database = p.database;
    o.port = static_cast<std::uint32_t>(p.port);
    o.connect_timeout = 30;
    return o;
}

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.open(Options(scratch.Params()))); }
    TestSupport::ScratchDatabase scratch;
    connection db;
};

TEST_F(ConnectionTest, IntColumnsFollowStoiRules) {
    auto r = db.query("SELECT '12abc', 'abc', '99999999999', '  -42', '-2147483648', '2147483648', '', '+7'");
    ASSERT_TRUE(r.succeeded());
    ASSERT_FALSE(r.at_end());
    std::int32_t v = 5;
    EXPECT_TRUE(r.get(0, v));
    EXPECT_EQ(v, 12);
    try {
        r.get(1, v);
        ADD_FAILURE() << "no exception for 'abc'";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "invalid stoi argument");
    }
    try {
        r.get(2, v);
        ADD_FAILURE() << "no exception for 99999999999";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "stoi argument out of range");
    }
    EXPECT_EQ(v, 12) << "a failed conversion leaves the target";
    EXPECT_TRUE(r.get(3, v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(r.get(4, v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_THROW(r.get(5, v), std::out_of_range);
    EXPECT_THROW(r.get(6, v), std::invalid_argument);
    EXPECT_TRUE(r.get(7, v));
    EXPECT_EQ(v, 7);
}

TEST_F(ConnectionTest, NullColumnsLeaveTheTargetAndTextKeepsEveryByte) {
    auto r = db.query("SELECT NULL, NULL, 'a\\0b', 'é🔒'");
    ASSERT_TRUE(r.succeeded());
    std::int32_t n = 9;
    std::string s = "kept";
    EXPECT_FALSE(r.get(0, n));
    EXPECT_FALSE(r.get(1, s));
    EXPECT_EQ(n, 9);
    EXPECT_EQ(s, "kept");
    EXPECT_TRUE(r.get(2, s));
    EXPECT_EQ(s, std::string("a\0b", 3));
    EXPECT_TRUE(r.get(3, s));
    EXPECT_EQ(s, "é🔒");
    EXPECT_FALSE(r.get(9, s)) << "a column past the last one";
}

TEST_F(ConnectionTest, RowsAreReadForwardsFromTheFirst) {
    auto r = db.query("SELECT 1 UNION ALL SELECT 2");
    std::int32_t v = 0;
    ASSERT_FALSE(r.at_end());
    EXPECT_TRUE(r.get(0, v));
    EXPECT_EQ(v, 1);
    r.next();
    ASSERT_FALSE(r.at_end());
    EXPECT_TRUE(r.get(0, v));
    EXPECT_EQ(v, 2);
    r.next();
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.get(0, v));
    EXPECT_EQ(v, 2);

    auto empty = db.query("SELECT 1 FROM DUAL WHERE 1 = 0");
    EXPECT_TRUE(empty.succeeded());
    EXPECT_TRUE(empty.at_end());
}

TEST_F(ConnectionTest, StatementsWithoutRowsAndFailedStatements) {
    auto made = db.query("CREATE TABLE t (a INT)");
    EXPECT_TRUE(made.succeeded());
    EXPECT_TRUE(made.at_end());
    auto inserted = db.query("INSERT INTO t VALUES (1)");
    EXPECT_TRUE(inserted.succeeded());
    EXPECT_TRUE(inserted.at_end());

    auto wrong = db.query("SELEC 1");
    EXPECT_FALSE(wrong.succeeded());
    EXPECT_TRUE(wrong.at_end());
    EXPECT_EQ(db.last_error(), 1064u);
    EXPECT_TRUE(db.is_open()) << "a wrong statement does not end the connection";
    EXPECT_TRUE(db.query("SELECT 1").succeeded());
}

TEST(ConnectionWithoutServer, NeverOpenedConnectionFailsEveryStatement) {
    connection db;
    EXPECT_FALSE(db.is_open());
    auto r = db.query("SELECT 1");
    EXPECT_FALSE(r.succeeded());
    EXPECT_TRUE(r.at_end());
    std::int32_t v = 3;
    EXPECT_FALSE(r.get(0, v));
    EXPECT_EQ(v, 3);
    EXPECT_EQ(db.last_error(), 0u) << "no client call was made";
    EXPECT_FALSE(db.reopen()) << "nothing to reopen without options";
    EXPECT_EQ(db.escape("it's"), "it\\'s") << "closed for good: escaped by hand";
}

TEST_F(ConnectionTest, WrongPasswordLeavesNoHandleAndReopenUsesTheSameOptions) {
    connection other;
    auto options = Options(scratch.Params());
    options.password = "not-the-password";
    EXPECT_FALSE(other.open(options));
    EXPECT_FALSE(other.is_open());
    EXPECT_FALSE(other.query("SELECT 1").succeeded());

    EXPECT_TRUE(db.reopen());
    std::string name;
    auto r = db.query("SELECT DATABASE()");
    ASSERT_TRUE(r.get(0, name));
    EXPECT_EQ(name, scratch.Params().database);
}

// Every hostile value, escaped by the connection or by hand, reads back unchanged from between
// single and between double quotes.
TEST_F(ConnectionTest, EscapedTextsStayInsideTheirQuotes) {
    const std::string hostile[] = {
        "it's",
        "say \"hi\"",
        "back\\slash\\",
        "'); DROP TABLE t; --",
        "\"); --",
        std::string("nul\0in", 7),
        "line\nfeed\rret\x1a",
        "мой сейф 🔒",
        "\\'",
        "trailing\\",
    };
    for (const auto& text : hostile) {
        for (const auto& escaped : {db.escape(text), db.escape(text, '"'), ledra::mysql::escape_by_hand(text)}) {
            auto r = db.query("SELECT '" + escaped + "', \"" + escaped + "\"");
            ASSERT_TRUE(r.succeeded()) << escaped;
            std::string single, dbl;
            ASSERT_TRUE(r.get(0, single));
            ASSERT_TRUE(r.get(1, dbl));
            EXPECT_EQ(single, text);
            EXPECT_EQ(dbl, text);
        }
    }
}

TEST_F(ConnectionTest, WithoutBackslashEscapesQuotesAreDoubled) {
    ASSERT_TRUE(db.query("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')").succeeded());
    for (const std::string text : {"it's \\", "say \"hi\"\\", "'); --"}) {
        auto r = db.query("SELECT '" + db.escape(text) + "', \"" + db.escape(text, '"') + "\"");
        ASSERT_TRUE(r.succeeded()) << text;
        std::string single, dbl;
        r.get(0, single);
        r.get(1, dbl);
        EXPECT_EQ(single, text);
        EXPECT_EQ(dbl, text);
    }
}

}  // namespace
