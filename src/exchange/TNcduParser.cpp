#include "exchange/TNcduParser.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cstring>
#include <limits>

#include "exchange/TJsonStream.h"
#include "exchange/TNcduParserHandler.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kQueuedBatches = 2;

}  // namespace
}  // namespace Vellumetric

namespace rapidjson {
using TVlmReader = GenericReader<UTF8<char>, UTF8<char>, CrtAllocator>;

// The same stream under another type, for what the specialisations below leave to RapidJSON's
// own code.
class TVlmStreamRef {
 public:
  using Ch = char;
  explicit TVlmStreamRef(Vellumetric::TJsonStream& stream) : Stream(stream) {}
  Ch Peek() { return Stream.Peek(); }
  Ch Take() { return Stream.Take(); }
  [[nodiscard]] std::size_t Tell() const { return Stream.Tell(); }
  [[nodiscard]] std::string_view Unread() const { return Stream.Unread(); }
  void Skip(std::size_t n) { Stream.Skip(n); }
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  void Flush() {}
  std::size_t PutEnd(Ch*) { return 0; }

 private:
  Vellumetric::TJsonStream& Stream;
};

// For a string that RapidJSON decodes itself (one with an escape, or cut by the chunk's end), the
// plain runs between its escapes are copied in one piece from the chunk read, not character by
// character through two calls each. Whatever ends a run is left to RapidJSON's own loop.
template <>
template <>
inline void TVlmReader::ScanCopyUnescapedString(TVlmStreamRef& is,
                                                TVlmReader::StackStream<char>& os) {
  const std::string_view unread = is.Unread();
  const std::size_t n = Vellumetric::PlainRunLength(unread);
  if (n == 0) return;
  std::memcpy(os.Push(static_cast<SizeType>(n)), unread.data(), n);
  is.Skip(n);
}
}  // namespace rapidjson

namespace rapidjson {

// An export's numbers are sizes, counts and times: whole, not negative, short, and nearly always
// inside the chunk read. Those are read here in one pass over the chunk; anything else (a sign,
// a fraction, an exponent, a leading zero, twenty digits, a number cut by the chunk's end) goes
// to RapidJSON's own reader, which also gives every error.
template <>
template <>
inline void TVlmReader::ParseNumber<kParseIterativeFlag, Vellumetric::TJsonStream,
                                    Vellumetric::TNcduParser::THandler>(
    Vellumetric::TJsonStream& is, Vellumetric::TNcduParser::THandler& handler) {
  const std::string_view unread = is.Unread();
  const std::size_t most = std::min<std::size_t>(unread.size(), 19);  // 19 digits fit 64 bits
  std::uint64_t value = 0;
  std::size_t n = 0;
  for (; n < most && unread[n] >= '0' && unread[n] <= '9'; ++n) {
    value = value * 10 + static_cast<std::uint64_t>(unread[n] - '0');
  }
  const bool plain = n > 0 && n < unread.size() && (unread[0] != '0' || n == 1) &&
                     !(unread[n] >= '0' && unread[n] <= '9') && unread[n] != '.' &&
                     unread[n] != 'e' && unread[n] != 'E';
  if (!plain) {
    TVlmStreamRef ref(is);
    ParseNumber<kParseIterativeFlag>(ref, handler);
    return;
  }
  const std::size_t start = is.Tell();
  is.Skip(n);
  if (!handler.Uint64(value)) RAPIDJSON_PARSE_ERROR(kParseErrorTermination, start);
}

// Most strings of an export (its keys and names) hold nothing to decode and end inside the chunk
// read: they are handed to the callbacks where they lie, with no copy. The others go to
// RapidJSON's own string reader, which also gives every error.
template <>
template <>
inline void TVlmReader::ParseString<kParseIterativeFlag, Vellumetric::TJsonStream,
                                    Vellumetric::TNcduParser::THandler>(
    Vellumetric::TJsonStream& is, Vellumetric::TNcduParser::THandler& handler, bool isKey) {
  const std::string_view unread = is.Unread();  // from the opening quote
  const std::size_t n = Vellumetric::PlainRunLength(unread.substr(1));
  if (n + 1 >= unread.size() || unread[n + 1] != '"') {
    TVlmStreamRef ref(is);
    ParseString<kParseIterativeFlag>(ref, handler, isKey);
    return;
  }
  is.Skip(n + 2);
  const char* text = unread.data() + 1;
  const auto length = static_cast<SizeType>(n);
  if (!(isKey ? handler.Key(text, length, true) : handler.String(text, length, true))) {
    RAPIDJSON_PARSE_ERROR(kParseErrorTermination, is.Tell());
  }
}

}  // namespace rapidjson

namespace Vellumetric {

TNcduParser::TNcduParser() = default;

TNcduParser::~TNcduParser() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Stopping = true;
  }
  Changed.notify_all();
  if (Reader.joinable()) Reader.join();
}

bool TNcduParser::Open(const std::string& path, std::string& error) {
  return Input.Open(path, error) && Start(error);
}

bool TNcduParser::OpenBytes(std::string bytes, std::string& error) {
  return Input.OpenBytes(std::move(bytes), error) && Start(error);
}

bool TNcduParser::Start(std::string& error) {
  Reader = std::thread([this] { Run(); });
  if (!TakeBatch() || Current.Items.empty() || Current.Items[0].Kind != TNcduItem::Dir) {
    error = Failed() ? Error() : "not an ncdu export";
    return false;
  }
  RootItem = Current.Items[0];
  const std::string_view name(Current.Names.data() + RootItem.NameOffset, RootItem.NameLength);
  HeaderData.Root.assign(name);
  Position = 1;
  return true;
}

void TNcduParser::Run() {
  TJsonStream stream(Input, ReadBytes);
  THandler handler(*this, stream);
  rapidjson::Reader reader;
  // Iterative: no recursion, so a deeply nested file cannot exhaust the thread's stack.
  const rapidjson::ParseResult result =
      reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler);
  std::string failure;
  if (result.IsError()) {
    if (!Input.Error().empty()) {
      failure = Input.Error();
    } else if (!handler.Problem().empty()) {
      failure = handler.Problem() + " at byte " + std::to_string(handler.ProblemOffset());
    } else {
      std::string what = rapidjson::GetParseError_En(result.Code());
      if (!what.empty() && what.back() == '.') what.pop_back();
      failure = what + " at byte " + std::to_string(result.Offset());
    }
  }
  {
    std::lock_guard<std::mutex> guard(Lock);
    if (!failure.empty() && Failure.empty()) Failure = failure;
  }
  (void)handler.Flush(true);
}

bool TNcduParser::Publish(TBatch& batch, bool last) {
  std::unique_lock<std::mutex> guard(Lock);
  Changed.wait(guard, [this] { return Stopping || Ready.size() < kQueuedBatches; });
  if (Stopping) return false;
  Ready.push_back(std::move(batch));
  if (last) Finished = true;
  guard.unlock();
  Changed.notify_all();
  guard.lock();
  if (Spare.empty()) {
    batch = TBatch{};
    batch.Items.reserve(NcduJson::kFirstReserve);
  } else {
    batch = std::move(Spare.back());
    Spare.pop_back();
  }
  return true;
}

bool TNcduParser::TakeBatch() {
  std::unique_lock<std::mutex> guard(Lock);
  Changed.wait(guard, [this] { return !Ready.empty() || Finished; });
  if (Ready.empty()) return false;
  if (Spare.size() < kQueuedBatches) {
    Current.Items.clear();
    Current.Names.clear();
    Spare.push_back(std::move(Current));
  }
  Current = std::move(Ready.front());
  Ready.pop_front();
  Position = 0;
  guard.unlock();
  Changed.notify_all();
  return true;
}

bool TNcduParser::Next(const TNcduItem*& item, std::string_view& name) {
  while (!Ended && Position >= Current.Items.size()) {
    if (!TakeBatch()) Ended = true;
  }
  if (Ended) return false;
  item = &Current.Items[Position++];
  name = std::string_view(Current.Names.data() + item->NameOffset, item->NameLength);
  return true;
}

void TNcduParser::Settle() {
  std::unique_lock<std::mutex> guard(Lock);
  while (!Finished && Reader.joinable()) {
    Ready.clear();
    Changed.notify_all();
    Changed.wait(guard, [this] { return Finished || !Ready.empty(); });
  }
}

bool TNcduParser::Failed() const {
  std::lock_guard<std::mutex> guard(Lock);
  return !Failure.empty();
}

std::string TNcduParser::Error() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Failure;
}

std::size_t TNcduParser::BytesRead() const noexcept {
  return ReadBytes.load(std::memory_order_relaxed);
}

}  // namespace Vellumetric
