// Every CLI run of these tests keeps its data folder (group database, Backup) in a private
// temporary folder instead of the user's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "TTempDir.h"

namespace {

class TIsolatedDataHome final : public ::testing::Environment {
 public:
  void SetUp() override {
    Home = std::make_unique<Vellumetric::Testing::TTempDir>();
    ::setenv("XDG_DATA_HOME", Home->Path().c_str(), 1);
  }
  void TearDown() override { Home.reset(); }

 private:
  std::unique_ptr<Vellumetric::Testing::TTempDir> Home;
};

[[maybe_unused]] ::testing::Environment* const kDataHome =
    ::testing::AddGlobalTestEnvironment(new TIsolatedDataHome);

}  // namespace
