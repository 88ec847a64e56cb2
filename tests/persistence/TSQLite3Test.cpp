#include <gtest/gtest.h>

#include <string>

#include "TTempDir.h"
#include "persistence/TSQLite3.h"

namespace Vellumetric {
namespace {

using Testing::TTempDir;

class TSQLite3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Db.Open(Tmp / "test.sqlite"));
    ASSERT_TRUE(Db.Execute("create table T (ID integer PRIMARY KEY ASC, a text, b integer)"));
  }
  TTempDir Tmp;
  TSQLite3 Db;
};

TEST(TSQLite3, OpenInAMissingFolderFailsWithTheProgramsMessage) {
  TTempDir tmp;
  TSQLite3 db;
  EXPECT_FALSE(db.Open(tmp / "missing/folder/db.sqlite"));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.LastError().rfind("Cannot open database: ", 0), 0u) << db.LastError();
  EXPECT_EQ(db.LastError().back(), '.');
  EXPECT_GT(db.LastError().size(), std::string("Cannot open database: .").size());
  EXPECT_FALSE(db.Execute("select 1"));  // a closed connection is never used
}

TEST_F(TSQLite3Test, TableExistsAndHasRowsLeaveTheErrorAlone) {
  EXPECT_TRUE(Db.TableExists("T"));
  EXPECT_FALSE(Db.TableExists("Missing"));
  EXPECT_EQ(Db.LastError(), "");
  EXPECT_FALSE(Db.HasRows("select a from T"));
  EXPECT_EQ(Db.LastError(), "");
  ASSERT_TRUE(Db.Execute("insert into T (a, b) values ('x', 1)"));
  EXPECT_TRUE(Db.HasRows("select a from T"));
}

TEST_F(TSQLite3Test, SelectClearsTheListAndReadsNullAsEmpty) {
  TSQLite3::TSQLRows rows(3);
  ASSERT_TRUE(Db.Select("select a, b from T", rows));
  EXPECT_TRUE(rows.empty());
  ASSERT_TRUE(
      Db.Execute("insert into T (a, b) values (NULL, 7); insert into T (a) values ('it''s')"));
  ASSERT_TRUE(Db.Select("select a, b, ID from T order by ID", rows));
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].Count(), 3u);
  EXPECT_EQ(rows[0][0].Value(), "");
  EXPECT_EQ(rows[0][1].Value(), "7");
  EXPECT_EQ(rows[1][0].Value(), "it's");
  EXPECT_EQ(rows[1][1].Value(), "");
}

TEST_F(TSQLite3Test, FailuresKeepSQLitesOwnMessage) {
  TSQLite3::TSQLRows rows;
  EXPECT_FALSE(Db.Select("selec a from T", rows));
  EXPECT_NE(Db.LastError().find("syntax error"), std::string::npos) << Db.LastError();
  EXPECT_FALSE(Db.Execute("delete from Missing"));
  EXPECT_EQ(Db.LastError(), "no such table: Missing");
}

TEST_F(TSQLite3Test, TextRoundTripsAsUtf8) {
  ASSERT_TRUE(Db.Execute("insert into T (a) values ('\xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe')"));
  ASSERT_TRUE(Db.Execute("insert into T (a) values ('\xe5\x86\x99\xe7\x9c\x9f')"));
  TSQLite3::TSQLRows rows;
  ASSERT_TRUE(Db.Select("select a from T order by ID", rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0].Value(), "\xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe");
  EXPECT_EQ(rows[1][0].Value(), "\xe5\x86\x99\xe7\x9c\x9f");
}

TEST(TSQLite3, SingleByteTextOfAnOlderDatabaseReadsByteForCharacter) {
  TTempDir tmp;
  TSQLite3 db;
  ASSERT_TRUE(db.Open(tmp / "old.sqlite"));
  // A UTF-8 database holding what a single-byte writer left: "Vidéos" in Latin-1.
  ASSERT_TRUE(db.Execute("PRAGMA encoding = 'UTF-8'; create table T (a text)"));
  ASSERT_TRUE(db.Execute("insert into T (a) values (CAST(X'566964E96F73' AS TEXT))"));
  TSQLite3::TSQLRows rows;
  ASSERT_TRUE(db.Select("select a from T", rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].Value(), "Vid\xc3\xa9os");
}

}  // namespace
}  // namespace Vellumetric
