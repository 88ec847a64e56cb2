#pragma once
// The ncdu reader's RapidJSON callbacks; included by the reader alone.

#include <rapidjson/reader.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/TJsonStream.h"
#include "exchange/TNcduItem.h"
#include "exchange/TNcduParser.h"

namespace Vellumetric {
namespace NcduJson {

// A batch grows to its size as items come: a small file does not pay for a full one.
constexpr std::size_t kFirstReserve = 4096;

// A JSON number as RapidJSON reports it, one form for all of its callbacks.
struct TNumber {
  bool Negative = false;
  bool Whole = true;
  std::uint64_t Magnitude = 0;
};

enum class TKey {
  Other,
  Name,
  Asize,
  Dsize,
  Dev,
  Ino,
  Hlnkc,
  Nlink,
  ReadError,
  Excluded,
  NotReg,
  Mtime,
  ProgName,
  ProgVer,
  Timestamp
};

// Every entry has several keys, so they are told apart by length and first letter before one
// comparison, rather than by comparing with each known key in turn.
inline TKey InfoKey(std::string_view k) {
  const auto is = [k](std::string_view text, TKey key) { return k == text ? key : TKey::Other; };
  switch (k.size()) {
    case 3:
      return k[0] == 'd' ? is("dev", TKey::Dev) : is("ino", TKey::Ino);
    case 4:
      return is("name", TKey::Name);
    case 5:
      switch (k[0]) {
        case 'a':
          return is("asize", TKey::Asize);
        case 'd':
          return is("dsize", TKey::Dsize);
        case 'h':
          return is("hlnkc", TKey::Hlnkc);
        case 'n':
          return is("nlink", TKey::Nlink);
        case 'm':
          return is("mtime", TKey::Mtime);
        default:
          return TKey::Other;
      }
    case 6:
      return is("notreg", TKey::NotReg);
    case 8:
      return is("excluded", TKey::Excluded);
    case 10:
      return is("read_error", TKey::ReadError);
    default:
      return TKey::Other;
  }
}

inline TKey MetaKey(std::string_view k) {
  if (k == "progname") return TKey::ProgName;
  if (k == "progver") return TKey::ProgVer;
  if (k == "timestamp") return TKey::Timestamp;
  return TKey::Other;
}

inline bool ValidName(std::string_view name, bool root) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  if (root) return true;
  return name != "." && name != ".." && name.find('/') == std::string_view::npos;
}
}  // namespace NcduJson

// Follows the export's grammar token by token and turns each info object into an item:
//   [major, minor, {metadata}, [ {root info}, {file info} | [ {dir info}, ... ], ... ]]
// Everything it does not know (extra fields, extra top-level elements) is skipped whole.
class TNcduParser::THandler {
  using TKey = NcduJson::TKey;
  using TNumber = NcduJson::TNumber;

 public:
  THandler(TNcduParser& owner, TJsonStream& stream) : Owner(owner), Stream(stream) {
    Batch.Items.reserve(NcduJson::kFirstReserve);
  }

  [[nodiscard]] const std::string& Problem() const noexcept { return Message; }
  [[nodiscard]] std::size_t ProblemOffset() const noexcept { return Offset; }
  [[nodiscard]] bool Flush(bool last) { return Owner.Publish(Batch, last); }

  bool Null() { return Scalar(TValue::Null); }
  bool Bool(bool b) {
    Flag = b;
    return Scalar(TValue::Bool);
  }
  bool Int(int i) { return Int64(i); }
  bool Uint(unsigned u) { return Uint64(u); }
  bool Int64(std::int64_t i) {
    if (i >= 0) return Uint64(static_cast<std::uint64_t>(i));
    Value = {true, true, 0 - static_cast<std::uint64_t>(i)};
    return Scalar(TValue::Number);
  }
  bool Uint64(std::uint64_t u) {
    Value = {false, true, u};
    // An entry's sizes, most of an export's numbers, go straight to their fields: Current
    // names a field of an info object only while its value is read.
    if (Current == TKey::Asize || Current == TKey::Dsize) return InfoValue(TValue::Number);
    return Scalar(TValue::Number);
  }
  bool Double(double d) {
    Value = {d < 0, false, 0};
    return Scalar(TValue::Number);
  }
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return Fail("unexpected number"); }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    Text = std::string_view(text, length);
    if (Current == TKey::Name) return InfoValue(TValue::String);  // as the sizes above
    return Scalar(TValue::String);
  }

  bool StartObject() {
    if (Skip > 0 || SkipValue()) return ++Skip, true;
    if (Stack.empty()) return Fail("an export is a JSON array");
    switch (Top()) {
      case TContext::Top:
        if (TopIndex() == 2) return Push(TContext::Meta), true;
        return Fail(TopIndex() < 2 ? "expected the format's version number"
                                   : "expected the root directory array");
      case TContext::Dir:
        Item = TNcduItem{};
        Item.Kind = DirIndex() == 0 ? TNcduItem::Dir : TNcduItem::File;
        Item.NameOffset = static_cast<std::uint32_t>(Batch.Names.size());
        HasName = false;
        return Push(TContext::Info), true;
      default:
        return Fail("unexpected object");
    }
  }

  bool Key(const char* text, rapidjson::SizeType length, bool) {
    if (Skip > 0) return true;
    const std::string_view k(text, length);
    Current = Top() == TContext::Meta ? NcduJson::MetaKey(k) : NcduJson::InfoKey(k);
    return true;
  }

  bool EndObject(rapidjson::SizeType) {
    if (Skip > 0) return EndSkipped();
    const TContext context = Top();
    Stack.pop_back();
    Current = TKey::Other;
    if (context == TContext::Info && !FinishInfo()) return false;
    return ValueDone();
  }

  bool StartArray() {
    if (Skip > 0 || SkipValue()) return ++Skip, true;
    if (Stack.empty()) return Push(TContext::Top), true;
    switch (Top()) {
      case TContext::Top:
        if (TopIndex() == 3) return Push(TContext::Dir), true;
        return Fail(TopIndex() < 2 ? "expected the format's version number"
                                   : "expected the metadata object");
      case TContext::Dir:
        if (DirIndex() == 0) return Fail("a directory array must start with its info object");
        return Push(TContext::Dir), true;
      default:
        return Fail("unexpected array");
    }
  }

  bool EndArray(rapidjson::SizeType) {
    if (Skip > 0) return EndSkipped();
    const TContext context = Top();
    const std::uint64_t count = Stack.back().Index;
    Stack.pop_back();
    if (context == TContext::Top) {
      if (count < 4) return Fail("the export ends before its root directory");
      return true;
    }
    if (count == 0) return Fail("a directory array must start with its info object");
    TNcduItem end;
    end.Kind = TNcduItem::DirEnd;
    if (!Emit(end)) return false;
    if (Stack.size() == 1) RootDone = true;
    return ValueDone();
  }

 private:
  enum class TContext : std::uint8_t { Top, Meta, Dir, Info };
  struct TFrame {
    TContext Kind;
    std::uint64_t Index;  // elements of an array completed so far
  };

  TContext Top() const { return Stack.back().Kind; }
  std::uint64_t TopIndex() const { return Stack.back().Index; }
  std::uint64_t DirIndex() const { return Stack.back().Index; }
  void Push(TContext kind) { Stack.push_back({kind, 0}); }

  bool Fail(std::string what) {
    Message = std::move(what);
    Offset = Stream.Tell();
    return false;
  }

  // Whether the value about to start belongs to a field or an element this reader ignores.
  bool SkipValue() const {
    if (Stack.empty()) return false;
    switch (Top()) {
      case TContext::Top:
        return TopIndex() > 3 || (TopIndex() == 3 && RootDone);
      case TContext::Meta:
        return true;
      case TContext::Info:
        return Current == TKey::Other;
      default:
        return false;
    }
  }

  bool EndSkipped() {
    if (--Skip > 0) return true;
    return ValueDone();
  }

  // A value of the innermost container is complete.
  bool ValueDone() {
    if (Stack.empty()) return true;
    if (Top() == TContext::Top || Top() == TContext::Dir) ++Stack.back().Index;
    Current = TKey::Other;
    return true;
  }

  enum class TValue { Null, Bool, Number, String };

  // Any scalar value; its content is in Value, Flag or Text.
  bool Scalar(TValue kind) {
    if (Skip > 0) return true;
    if (Stack.empty()) return Fail("an export is a JSON array");
    switch (Top()) {
      case TContext::Top:
        return TopScalar(Value, kind == TValue::Number);
      case TContext::Meta:
        MetaField(Value, kind == TValue::Number, kind == TValue::String ? Text.data() : nullptr,
                  Text.size());
        return ValueDone();
      case TContext::Info:
        return InfoValue(kind);
      case TContext::Dir:
        return Fail("expected an info object or a directory array");
    }
    return false;
  }

  // A field's value inside an info object.
  bool InfoValue(TValue kind) {
    if (!InfoField(kind)) return false;
    Current = TKey::Other;
    return true;
  }

  bool TopScalar(TNumber n, bool isNumber) {
    const std::uint64_t index = TopIndex();
    if (index > 3 || (index == 3 && RootDone)) return ValueDone();
    if (index >= 2)
      return Fail(index == 2 ? "expected the metadata object"
                             : "expected the root directory array");
    if (!isNumber || !n.Whole || n.Negative || n.Magnitude > 10000) {
      return Fail("the format's version numbers must be whole numbers from 0 to 10000");
    }
    if (index == 0 && n.Magnitude != 1) return Fail("only format version 1 can be read");
    if (index == 0) Owner.HeaderData.Major = static_cast<std::uint32_t>(n.Magnitude);
    if (index == 1) Owner.HeaderData.Minor = static_cast<std::uint32_t>(n.Magnitude);
    return ValueDone();
  }

  void MetaField(TNumber n, bool isNumber, const char* text, std::size_t length) {
    TNcduHeader& h = Owner.HeaderData;
    constexpr std::size_t kLongest = 200;  // metadata is short; a long one is cut
    if (Current == TKey::ProgName && text) h.ProgramName.assign(text, std::min(length, kLongest));
    if (Current == TKey::ProgVer && text) h.ProgramVersion.assign(text, std::min(length, kLongest));
    if (Current == TKey::Timestamp && isNumber && n.Whole && !n.Negative &&
        n.Magnitude <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      h.Timestamp = static_cast<std::int64_t>(n.Magnitude);
    }
  }

  // A size beyond 2^62 bytes is no file; refusing it keeps every total inside 64 bits.
  static constexpr std::uint64_t kLargestSize = std::uint64_t{1} << 62;

  bool Size(TNumber n, bool whole, std::uint64_t& out, std::uint16_t flag) {
    const char* field = flag == TNcduItem::HasAsize ? "\"asize\"" : "\"dsize\"";
    if (!whole || n.Negative) {
      return Fail(std::string(field) + " must be a whole number of bytes, not negative");
    }
    if (n.Magnitude > kLargestSize) return Fail(std::string(field) + " is out of range");
    out = n.Magnitude;
    Item.Flags |= flag;
    return true;
  }

  bool Whole(TNumber n, bool whole, std::uint64_t& out, std::uint16_t flag, const char* field) {
    if (!whole || n.Negative) {
      Message = std::string("\"") + field + "\" must be a whole number, not negative";
      Offset = Stream.Tell();
      return false;
    }
    out = n.Magnitude;
    Item.Flags |= flag;
    return true;
  }

  bool Boolean(bool isBool, bool flag, std::uint16_t bit, const char* field) {
    if (!isBool) {
      Message = std::string("\"") + field + "\" must be true or false";
      Offset = Stream.Tell();
      return false;
    }
    if (flag) Item.Flags |= bit;
    return true;
  }

  bool InfoField(TValue kind) {
    const TNumber n = Value;
    const bool whole = kind == TValue::Number && n.Whole;
    const bool isBool = kind == TValue::Bool;
    const bool flag = Flag;
    const char* text = kind == TValue::String ? Text.data() : nullptr;
    const std::size_t length = Text.size();
    std::uint64_t value = 0;
    switch (Current) {
      case TKey::Name:
        if (!text) return Fail("\"name\" must be a string");
        if (length > std::numeric_limits<std::uint32_t>::max() - Batch.Names.size()) {
          return Fail("a name is too long");
        }
        Batch.Names.resize(Item.NameOffset);  // a repeated field replaces the earlier one
        Batch.Names.append(text, length);
        Item.NameLength = static_cast<std::uint32_t>(length);
        HasName = true;
        return true;
      case TKey::Asize:
        return Size(n, whole, Item.Asize, TNcduItem::HasAsize);
      case TKey::Dsize:
        return Size(n, whole, Item.Dsize, TNcduItem::HasDsize);
      case TKey::Dev:
        return Whole(n, whole, Item.Dev, TNcduItem::HasDev, "dev");
      case TKey::Ino:
        return Whole(n, whole, Item.Ino, TNcduItem::HasIno, "ino");
      case TKey::Nlink:
        if (!Whole(n, whole, value, 0, "nlink")) return false;
        Item.Links = value > std::numeric_limits<std::uint32_t>::max()
                         ? std::numeric_limits<std::uint32_t>::max()
                         : static_cast<std::uint32_t>(value);
        return true;
      case TKey::Hlnkc:
        return Boolean(isBool, flag, TNcduItem::HardLinked, "hlnkc");
      case TKey::ReadError:
        return Boolean(isBool, flag, TNcduItem::ReadError, "read_error");
      case TKey::NotReg:
        return Boolean(isBool, flag, TNcduItem::NotRegular, "notreg");
      case TKey::Excluded:
        // A string naming why ("pattern", "otherfs", "kernfs", "frmlnk"); older writers wrote
        // true. Both mean the entry was not looked into.
        if (text || (isBool && flag))
          Item.Flags |= TNcduItem::Excluded;
        else if (!isBool)
          return Fail("\"excluded\" must be a string");
        return true;
      case TKey::Mtime:
        if (!whole) return Fail("\"mtime\" must be a whole number of seconds");
        if (n.Magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
          return Fail("\"mtime\" is out of range");
        }
        Item.Mtime = n.Negative ? -static_cast<std::int64_t>(n.Magnitude)
                                : static_cast<std::int64_t>(n.Magnitude);
        Item.Flags |= TNcduItem::HasMtime;
        return true;
      default:
        return true;
    }
  }

  bool FinishInfo() {
    const bool root = Stack.size() == 2 && Item.Kind == TNcduItem::Dir;
    const std::string_view name(Batch.Names.data() + Item.NameOffset, Item.NameLength);
    if (!HasName) return Fail("an info object has no \"name\"");
    if (!NcduJson::ValidName(name, root)) {
      return Fail(root ? "the root's name is empty or holds a NUL character"
                       : "a name is empty, \".\", \"..\", or holds \"/\" or a NUL character");
    }
    return Emit(Item);
  }

  bool Emit(const TNcduItem& item) {
    Batch.Items.push_back(item);
    // The root's info goes over at once, so opening a file does not wait for a full batch.
    if (Batch.Items.size() >= BatchItems || !FirstSent) {
      FirstSent = true;
      if (!Flush(false)) return Fail("stopped");
    }
    return true;
  }

  TNcduParser& Owner;
  TJsonStream& Stream;
  TBatch Batch;
  TNcduItem Item;
  std::vector<TFrame> Stack;
  TKey Current = TKey::Other;
  TNumber Value;
  bool Flag = false;
  std::string_view Text;
  std::size_t Skip = 0;  // depth inside a value that is skipped
  bool HasName = false;
  bool RootDone = false;
  bool FirstSent = false;
  std::string Message;
  std::size_t Offset = 0;
};

}  // namespace Vellumetric
