#include <gtest/gtest.h>

#include <set>
#include <string>

#include "persistence/SummaryNames.h"
#include "system/SystemFolders.h"

namespace Vellumetric {
namespace {

TEST(SummaryNames, BaseNames) {
  EXPECT_EQ(SummaryBaseName(TPathStyle::Windows, "C:"), "Drive_C");
  EXPECT_EQ(SummaryBaseName(TPathStyle::Windows, "D:\\Photos"), "Photos");
  EXPECT_EQ(SummaryBaseName(TPathStyle::Windows, "C:\\"), "");  // as the Windows rule has it
  EXPECT_EQ(SummaryBaseName(TPathStyle::Posix, "/home/ann/Photos"), "Photos");
  EXPECT_EQ(SummaryBaseName(TPathStyle::Posix, "/"), "Drive_root");
  EXPECT_EQ(SummaryBaseName(TPathStyle::Posix, "/srv/"), "Drive_root");
}

TEST(SummaryNames, ProposalSkipsTakenNames) {
  std::set<std::string> taken;
  const auto exists = [&](const std::string& p) { return taken.count(p) > 0; };
  EXPECT_EQ(ProposeSummaryName("/b", "Drive_C", exists), "Drive_C");
  taken.insert(JoinNativePath("/b", "Drive_C.sbf"));
  EXPECT_EQ(ProposeSummaryName("/b", "Drive_C", exists), "Drive_C(1)");
  taken.insert(JoinNativePath("/b", "Drive_C(1).sbf"));
  EXPECT_EQ(ProposeSummaryName("/b", "Drive_C", exists), "Drive_C(2)");
}

TEST(SummaryNames, SaveNamesAndPlainFileNames) {
  EXPECT_EQ(SummaryFileName("June"), "June.sbf");
  EXPECT_EQ(SummaryFileName("June.SBF"), "June.SBF");
  EXPECT_EQ(SummaryFileName("June.sbf.txt"), "June.sbf.txt.sbf");
  for (const char* bad : {"", ".", "..", "a/b", "..\\x", "C:x", "a*", "q?", "\"", "<", ">", "|"}) {
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  }
  EXPECT_TRUE(IsPlainFileName("Drive_C(1)"));
  EXPECT_TRUE(IsPlainFileName("\xe5\x86\x99\xe7\x9c\x9f .sbf"));
  EXPECT_EQ(std::string(InvalidFileNameNotice),
            "A file name can't contain any of the following characters: \\ / : * ? \" < > |");
}

}  // namespace
}  // namespace Vellumetric
