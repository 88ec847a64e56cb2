#pragma once

#include "system/TDirectoryLister.h"

namespace Vellumetric {

// Hands the scan walk a lister that someone else keeps: the walk owns what it is given and
// destroys it with its thread, but the owner of a file's reader must ask it afterwards whether
// the whole file was read. `lister` must outlive this object.
class TBorrowedLister final : public TDirectoryLister {
 public:
  explicit TBorrowedLister(TDirectoryLister& lister) : Lister(lister) {}

  [[nodiscard]] TPathStyle Style() const override { return Lister.Style(); }
  [[nodiscard]] bool ListsByFullPath() const override { return Lister.ListsByFullPath(); }
  [[nodiscard]] bool CanListTwice() const override { return Lister.CanListTwice(); }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override {
    return Lister.EnterRoot(path, stayOnRootVolume);
  }
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override {
    return Lister.EnterChild(name, fullPath);
  }
  [[nodiscard]] bool Next(TDirEntry& entry) override { return Lister.Next(entry); }
  void Leave() override { Lister.Leave(); }
  [[nodiscard]] std::int32_t LastError() const override { return Lister.LastError(); }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return Lister.RootDiskSize(); }

 private:
  TDirectoryLister& Lister;
};

}  // namespace Vellumetric
