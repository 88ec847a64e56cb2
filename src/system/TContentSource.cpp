#include "system/TContentSource.h"

namespace Vellumetric {
namespace {

class TJoinedFolder final : public TContentSource::TFolder {
 public:
  TJoinedFolder(TContentSource& source, std::string path, std::string_view separator)
      : Source(source), Prefix(std::move(path)) {
    Prefix += separator;
  }

  TOpenOutcome ReadStart(std::string_view name, std::span<std::byte> buffer, std::size_t& got,
                         bool) override {
    std::unique_ptr<TOpenFile> file;
    const TOpenOutcome opened = Source.Open(Prefix + std::string(name), file);
    if (opened != TOpenOutcome::Opened) return opened;
    const std::int64_t n = file->ReadAt(0, buffer);
    if (n < 0) return TOpenOutcome::Unreadable;
    got = static_cast<std::size_t>(n);
    return TOpenOutcome::Opened;
  }

 private:
  TContentSource& Source;
  std::string Prefix;
};

}  // namespace

std::unique_ptr<TContentSource::TFolder> TContentSource::EnterFolder(const std::string& path,
                                                                     std::string_view separator) {
  return std::make_unique<TJoinedFolder>(*this, path, separator);
}

}  // namespace Vellumetric
