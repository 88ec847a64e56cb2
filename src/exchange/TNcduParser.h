#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "exchange/TCompressedInput.h"
#include "exchange/TNcduItem.h"

namespace Vellumetric {

// Reads an ncdu JSON export (format 1.x, as ncdu and gdu write it) as a stream of items, never
// holding the file whole: RapidJSON's SAX reader runs on a thread of its own and hands the items
// over in batches of bounded size, so reading the text and building the tree overlap. The
// reader keeps no recursion of its own either, so nesting is limited by memory alone.
//
// Bad input ends the stream with Failed() and a message naming the byte of the JSON text where
// it went wrong. Names are kept byte for byte: ncdu writes names that are not UTF-8 unchanged.
class TNcduParser {
 public:
  // Items handed over at once. Large: each hand-over may wait for the other thread to be
  // scheduled, which on a busy machine takes far longer than the items themselves (64K items are
  // about 4 MB with their names).
  static constexpr std::size_t BatchItems = 65536;

  struct TBatch {
    std::vector<TNcduItem> Items;
    std::string Names;
  };

  TNcduParser();
  ~TNcduParser();
  TNcduParser(const TNcduParser&) = delete;
  TNcduParser& operator=(const TNcduParser&) = delete;

  // Opens the file and reads up to the root directory's info object.
  [[nodiscard]] bool Open(const std::string& path, std::string& error);
  // The same for content given whole (the fuzz target's input).
  [[nodiscard]] bool OpenBytes(std::string bytes, std::string& error);
  [[nodiscard]] const TNcduHeader& Header() const noexcept { return HeaderData; }
  [[nodiscard]] const TNcduItem& Root() const noexcept { return RootItem; }
  // The next item after the root's info object; `name` stays valid until the next call. False
  // at the end of the root directory or when reading failed.
  [[nodiscard]] bool Next(const TNcduItem*& item, std::string_view& name);
  // Waits until the reading thread has read to the end of the file, dropping what it hands
  // over: only then does Failed() know about damage after the last item (text after the
  // export's closing bracket).
  void Settle();
  [[nodiscard]] bool Failed() const;
  // What went wrong, with the byte offset; empty when nothing did.
  [[nodiscard]] std::string Error() const;
  // Bytes of JSON text read so far by the reading thread (progress).
  [[nodiscard]] std::size_t BytesRead() const noexcept;

  // RapidJSON's callbacks, defined with the reader; named here so that RapidJSON's number
  // reading can be specialised for them.
  class THandler;

 private:
  friend class THandler;

  [[nodiscard]] bool Start(std::string& error);
  void Run();
  // Called by the reading thread: hands a full batch over; false when the reader should stop.
  bool Publish(TBatch& batch, bool last);
  [[nodiscard]] bool TakeBatch();

  TCompressedInput Input;
  TNcduHeader HeaderData;
  TNcduItem RootItem;

  mutable std::mutex Lock;
  std::condition_variable Changed;
  std::deque<TBatch> Ready;  // at most two batches wait
  // Batches the walk has finished with, handed back to the reading thread with their memory:
  // a fresh batch of megabytes per hand-over cost page faults on both sides.
  std::vector<TBatch> Spare;
  bool Finished = false;  // the reading thread has published its last batch
  bool Stopping = false;
  std::string Failure;
  std::atomic<std::size_t> ReadBytes{0};

  TBatch Current;  // the consumer's batch
  std::size_t Position = 0;
  bool Ended = false;
  std::thread Reader;
};

}  // namespace Vellumetric
