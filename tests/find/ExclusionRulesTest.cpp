// The rules on their own, for what a Linux tree cannot show: Windows paths and case, the rules
// file read back, and patterns that are copied around.
#include <gtest/gtest.h>

#include <vector>

#include "exclude/ExclusionsFile.h"
#include "exclude/TExclusionRules.h"

namespace Vellumetric {
namespace {

using TKind = TExclusionRule::TKind;
using TCase = TExclusionRule::TCase;

TEST(ExclusionRules, CaseFollowsTheSystemUnlessTheRuleSaysOtherwise) {
  const TExclusionRuleList rules{{TKind::Name, "node_modules"}};
  EXPECT_TRUE(TExclusionRules(rules, TPathStyle::Windows).Excludes("Node_Modules", ""));
  EXPECT_FALSE(TExclusionRules(rules, TPathStyle::Posix).Excludes("Node_Modules", ""));
  const TExclusionRuleList ignored{{TKind::Name, "BUILD", TCase::Ignored}};
  EXPECT_TRUE(TExclusionRules(ignored, TPathStyle::Posix).Excludes("build", ""));
  const TExclusionRuleList sensitive{{TKind::Name, "Cache", TCase::Sensitive}};
  EXPECT_FALSE(TExclusionRules(sensitive, TPathStyle::Windows).Excludes("cache", ""));
  EXPECT_TRUE(TExclusionRules(sensitive, TPathStyle::Windows).Excludes("Cache", ""));
}

// Backslashes are separators on Windows, not escapes; either slash may be typed; a folder scan
// of "D:\" makes "D:\\Data", which a rule for D:\Data still matches.
TEST(ExclusionRules, WindowsPathsMatchAsWritten) {
  const TExclusionRuleList rules{{TKind::Path, "C:\\Windows\\WinSxS"},
                                 {TKind::Path, "D:/Data/*/obj"},
                                 {TKind::Path, "bin\\Debug"}};
  const TExclusionRules compiled(rules, TPathStyle::Windows);
  EXPECT_EQ(compiled.Match("WinSxS", "C:\\Windows\\WinSxS"), 0);
  EXPECT_EQ(compiled.Match("winsxs", "c:\\windows\\winsxs"), 0);
  EXPECT_EQ(compiled.Match("obj", "D:\\\\Data\\app\\obj"), 1);
  EXPECT_EQ(compiled.Match("Debug", "E:\\src\\tool\\bin\\Debug"), 2);  // a tail, as du reads it
  EXPECT_EQ(compiled.Match("Debug", "E:\\src\\tool\\xbin\\Debug"), -1);
  EXPECT_EQ(compiled.Match("WinSxS", "E:\\Backup\\C\\Windows\\WinSxS"), -1);  // anchored
}

TEST(ExclusionRules, DisabledAndEmptyRulesLeaveNothingOut) {
  TExclusionRuleList rules{{TKind::Name, "*"}};
  rules[0].Enabled = false;
  rules.push_back({TKind::Name, ""});
  EXPECT_TRUE(TExclusionRules(rules, TPathStyle::Posix).Empty());
}

// Compiled rules live in a vector and get moved: a short literal must not be read from the
// pattern's old place.
TEST(ExclusionRules, MovedPatternsStillMatch) {
  std::vector<TGlobPattern> patterns;
  for (const char* p : {"a", "bb", ".git", "x*", "*.o"}) patterns.emplace_back(p);
  patterns.shrink_to_fit();
  std::vector<TGlobPattern> moved = std::move(patterns);
  EXPECT_TRUE(moved[0].Matches("A"));
  EXPECT_TRUE(moved[2].Matches(".git"));
  EXPECT_TRUE(moved[3].Matches("xyz"));
  EXPECT_TRUE(moved[4].Matches("main.o"));
  EXPECT_FALSE(moved[1].Matches("b"));
}

TEST(ExclusionsFile, ReadsBackWhatItWritesAndNamesABadLine) {
  const TExclusionRuleList rules{{TKind::Name, "node_modules"},
                                 {TKind::Path, "/home/*/.cache", TCase::Ignored, false},
                                 {TKind::Marker, "CACHEDIR.TAG"}};
  TExclusionRuleList back;
  std::string error;
  ASSERT_TRUE(ParseExclusions(ExclusionsText(rules), back, error)) << error;
  EXPECT_EQ(back, rules);
  EXPECT_FALSE(ParseExclusions("[Rule]\nKind=name\nPatern=x\n", back, error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_EQ(back, rules);  // nothing half-read
  EXPECT_FALSE(ParseExclusions("[Rule]\nKind=name\n", back, error));
}

TEST(ExclusionRules, GlobsFromTheCommandLine) {
  EXPECT_EQ(RuleFromGlob("build/", false).Kind, TKind::Name);
  EXPECT_EQ(RuleFromGlob("build/", false).Pattern, "build");
  EXPECT_EQ(RuleFromGlob("src/build", false).Kind, TKind::Path);
  EXPECT_EQ(RuleFromGlob("src\\build", false).Kind, TKind::Name);  // a Linux name may hold '\'
  EXPECT_EQ(RuleFromGlob("src\\build", true).Kind, TKind::Path);
}

}  // namespace
}  // namespace Vellumetric
