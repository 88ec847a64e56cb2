#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TTempDir.h"
#include "filetypes/TGroupListLoader.h"
#include "filetypes/VLMOptions.h"

namespace Vellumetric {
namespace {

using Testing::TTempDir;

struct TRun {
  TTempDir Tmp;
  std::vector<std::string> Messages;
  std::string Path = Tmp / VLMOptions::FileName;
  VLMOptions Open() {
    return VLMOptions(Path, [this](const std::string& m) { Messages.push_back(m); });
  }
};

std::vector<std::string> Schema(const std::string& path) {
  TSQLite3 db;
  TSQLite3::TSQLRows rows;
  std::vector<std::string> sql;
  if (db.Open(path) && db.Select("select sql from sqlite_master order by name", rows)) {
    for (const auto& r : rows) sql.push_back(r[0].Value());
  }
  return sql;
}

TEST(VLMOptions, FirstRunCreatesTheSchemaAndLoadsTheDefaultsAscending) {
  TRun run;
  TFileExtDescList groups;
  TFileExtList extensions;
  {
    VLMOptions options = run.Open();
    ASSERT_TRUE(options.LoadGroups(groups));
    ASSERT_TRUE(options.LoadExtensions(extensions));
  }
  EXPECT_TRUE(run.Messages.empty());
  EXPECT_EQ(Schema(run.Path),
            (std::vector<std::string>{
                "CREATE TABLE FileExt (ID integer PRIMARY KEY ASC, ext text, descID integer)",
                "CREATE TABLE FileExtDesc (ID integer PRIMARY KEY ASC, desc text)"}));
  ASSERT_EQ(groups.size(), 11u);
  EXPECT_EQ(groups.front().Desc, "3D Image Files");
  EXPECT_EQ(groups.front().ID, 2);
  EXPECT_EQ(groups.back().Desc, "Web Files");
  ASSERT_EQ(extensions.size(), 91u);
  for (std::size_t i = 1; i < extensions.size(); ++i) {
    EXPECT_LE(extensions[i - 1].Ext, extensions[i].Ext);
  }
  EXPECT_EQ(extensions.front().Ext, ".3dm");
}

TEST(VLMOptions, EmptyTablesLoadEmptyListsAndWriteNothing) {
  TRun run;
  {
    TSQLite3 db;
    ASSERT_TRUE(db.Open(run.Path));
    ASSERT_TRUE(db.Execute("create table FileExtDesc (ID integer PRIMARY KEY ASC, desc text)"));
    ASSERT_TRUE(
        db.Execute("create table FileExt (ID integer PRIMARY KEY ASC, ext text, descID integer)"));
  }
  TFileExtDescList groups{{1, "stale"}};
  TFileExtList extensions{{".x", 1}};
  VLMOptions options = run.Open();
  EXPECT_TRUE(options.LoadGroups(groups));
  EXPECT_TRUE(options.LoadExtensions(extensions));
  EXPECT_TRUE(groups.empty());
  EXPECT_TRUE(extensions.empty());
  EXPECT_FALSE(options.Connection().HasRows("select * from FileExtDesc"));
}

TEST(VLMOptions, NamesWithApostrophesAndNonLatinLettersRoundTrip) {
  TRun run;
  {
    VLMOptions options = run.Open();
    ASSERT_TRUE(options.CreateDefaultGroups());
    ASSERT_TRUE(options.InsertGroup(11, "Ann's \xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe"));
    ASSERT_TRUE(options.InsertGroup(12, "\xe5\x86\x99\xe7\x9c\x9f"));
    ASSERT_TRUE(options.CreateDefaultExtensions());
    ASSERT_TRUE(options.InsertExtension(".o'k", 11));
  }
  VLMOptions options = run.Open();
  TFileExtDescList groups;
  TFileExtList extensions;
  ASSERT_TRUE(options.LoadGroups(groups));
  ASSERT_TRUE(options.LoadExtensions(extensions));
  EXPECT_EQ(groups[0].Desc, "3D Image Files");
  EXPECT_EQ(groups[1].Desc, "Ann's \xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe");  // 'A' > '3'
  EXPECT_EQ(groups.back().Desc, "\xe5\x86\x99\xe7\x9c\x9f");                    // byte-wise last
  bool found = false;
  for (const auto& e : extensions) found = found || (e.Ext == ".o'k" && e.DescID == 11);
  EXPECT_TRUE(found);
}

TEST(VLMOptions, AFailedInsertShowsTheStatementAndClosesTheConnection) {
  TRun run;
  VLMOptions options = run.Open();
  ASSERT_TRUE(options.CreateDefaultGroups());
  EXPECT_FALSE(options.InsertGroup(3, "Duplicate"));
  ASSERT_EQ(run.Messages.size(), 1u);
  EXPECT_EQ(run.Messages[0],
            "insert into FileExtDesc (ID, desc) \t\t\tvalues (3, 'Duplicate') : UNIQUE constraint "
            "failed: FileExtDesc.ID");
  EXPECT_FALSE(options.IsOpen());
  TFileExtDescList groups;
  EXPECT_FALSE(options.LoadGroups(groups));  // skipped quietly on the closed connection
  EXPECT_FALSE(options.DeleteGroup(1));
  EXPECT_EQ(run.Messages.size(), 1u);
}

TEST(VLMOptions, DeleteAndResetGroups) {
  TRun run;
  VLMOptions options = run.Open();
  TFileExtDescList groups;
  TFileExtList extensions;
  ASSERT_TRUE(options.LoadGroups(groups));
  ASSERT_TRUE(options.LoadExtensions(extensions));
  ASSERT_TRUE(options.DeleteGroup(4));  // Audio Files and its 18 extensions
  ASSERT_TRUE(options.LoadGroups(groups));
  ASSERT_TRUE(options.LoadExtensions(extensions));
  EXPECT_EQ(groups.size(), 10u);
  EXPECT_EQ(extensions.size(), 73u);
  ASSERT_TRUE(options.ResetGroups());
  ASSERT_TRUE(options.ResetExtensions());
  ASSERT_TRUE(options.LoadGroups(groups));
  ASSERT_TRUE(options.LoadExtensions(extensions));
  EXPECT_EQ(groups.size(), 11u);
  EXPECT_EQ(extensions.size(), 91u);
  EXPECT_TRUE(run.Messages.empty());
}

// A reset that fails part way (here a constraint the defaults break at their last group) is
// taken back whole: the user's own groups stay, not a delete followed by half the defaults.
TEST(VLMOptions, AResetThatFailsPartWayKeepsTheOldRows) {
  TRun run;
  {
    TSQLite3 db;
    ASSERT_TRUE(db.Open(run.Path));
    ASSERT_TRUE(db.Execute(
        "create table FileExtDesc (ID integer PRIMARY KEY ASC, desc text check (desc <> 'Web "
        "Files'))"));
    ASSERT_TRUE(db.Execute("insert into FileExtDesc (ID, desc) values (40, 'Mine')"));
  }
  EXPECT_FALSE(run.Open().ResetGroups());
  ASSERT_EQ(run.Messages.size(), 1u);
  EXPECT_NE(run.Messages[0].find("CHECK constraint failed"), std::string::npos);
  TFileExtDescList groups;
  ASSERT_TRUE(run.Open().LoadGroups(groups));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].Desc, "Mine");
}

TEST(VLMOptions, OpenFailureIsShown) {
  TTempDir tmp;
  std::vector<std::string> messages;
  VLMOptions options(tmp / "no/such/dir/x.sqlite",
                     [&](const std::string& m) { messages.push_back(m); });
  EXPECT_FALSE(options.IsOpen());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Cannot open database: ", 0), 0u);
  TFileExtDescList groups;
  EXPECT_FALSE(options.LoadGroups(groups));
}

TEST(TGroupListLoader, LoadsWhatTheDatabaseGivesOnceAndCarriesItsMessages) {
  TRun first;
  TFileExtDescList groups, direct;
  TFileExtList extensions, directExtensions;
  std::vector<std::string> messages{"left over"};
  {
    TGroupListLoader loader(first.Path);  // a first run: the database is created on its thread
    ASSERT_TRUE(loader.Take(groups, extensions, messages));
    EXPECT_TRUE(loader.Done());
    TFileExtDescList again{{1, "kept"}};
    EXPECT_FALSE(loader.Take(again, extensions, messages));
    EXPECT_EQ(again.size(), 1u);
  }
  EXPECT_TRUE(messages.empty());
  VLMOptions options = first.Open();
  ASSERT_TRUE(options.LoadGroups(direct));
  ASSERT_TRUE(options.LoadExtensions(directExtensions));
  ASSERT_EQ(groups.size(), direct.size());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    EXPECT_EQ(groups[i].ID, direct[i].ID);
    EXPECT_EQ(groups[i].Desc, direct[i].Desc);
  }
  ASSERT_EQ(extensions.size(), directExtensions.size());
  EXPECT_EQ(extensions.back().Ext, directExtensions.back().Ext);

  TTempDir tmp;
  TGroupListLoader broken(tmp / "no/such/dir/x.sqlite");
  ASSERT_TRUE(broken.Take(groups, extensions, messages));
  EXPECT_TRUE(groups.empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Cannot open database: ", 0), 0u);
}

}  // namespace
}  // namespace Vellumetric
