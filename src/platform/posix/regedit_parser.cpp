// POSIX backend only: the regedit export parser behind the emulated registry.
#include "platform/posix/regedit_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/ascii.h"
#include "platform/posix/machine.h"
#include "platform/posix/mapped_file.h"
#include "platform/registry.h"

namespace platform::posix {
namespace {

using KeyId = RegistryTree::KeyId;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ascii::equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  return text.substr(start);
}

std::string_view trimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (isBlank(text[end - 1]) || text[end - 1] == '\r')) --end;
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
  return trimLeft(trimRight(text));
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/// A number of 1 to 8 hex digits and nothing else.
bool parseHexNumber(std::string_view digits, std::uint32_t& number) {
  if (digits.empty() || digits.size() > 8) return false;
  number = 0;
  for (char c : digits) {
    int d = hexDigit(c);
    if (d < 0) return false;
    number = number * 16 + static_cast<std::uint32_t>(d);
  }
  return true;
}

/// UTF-16LE to 8-bit text the way the `A` functions narrow it: code units
/// up to 0xFF stay, anything else (a surrogate pair counting as one
/// character) becomes '?'. An odd last byte is dropped.
std::string narrowUtf16(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() / 2);
  const std::size_t units = bytes.size() / 2;
  auto unitAt = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i])) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  for (std::size_t i = 0; i < units; ++i) {
    unsigned unit = unitAt(i);
    if (unit <= 0xFF) {
      text.push_back(static_cast<char>(unit));
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      unsigned next = unitAt(i + 1);
      if (next >= 0xDC00 && next <= 0xDFFF) ++i;
    }
    text.push_back('?');
  }
  return text;
}

/// Comma-separated bytes of one or two hex digits each, blanks allowed
/// around them and one comma after the last; an empty text is no bytes.
bool decodeHexBytes(std::string_view text, std::string& bytes) {
  text = trim(text);
  if (!text.empty() && text.back() == ',') text = trimRight(text.substr(0, text.size() - 1));
  if (text.empty()) return true;
  bytes.reserve(text.size() / 3 + 1);
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    std::string_view item =
        trim(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    std::uint32_t value = 0;
    if (item.size() > 2 || !parseHexNumber(item, value)) return false;
    bytes.push_back(static_cast<char>(value));
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

/// Reads the quoted text that starts at `text[pos]` (a '"') into `out` and
/// moves `pos` past the closing quote; false when the quote is not closed.
bool readQuoted(std::string_view text, std::size_t& pos, std::string& out) {
  ++pos;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (pos >= text.size()) return false;
    char escaped = text[pos++];
    if (escaped != '\\' && escaped != '"') out.push_back('\\');
    out.push_back(escaped);
  }
  return false;
}

/// The non-empty pieces of a backslash-separated key path.
std::vector<std::string_view> splitKeyPath(std::string_view path) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) pieces.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool isStringType(std::uint32_t type) {
  return type == RegistryString || type == RegistryExpandString || type == RegistryMultiString;
}

/// The file's bytes as 8-bit text: a view of them, or of `narrowed` for a
/// UTF-16 file, so that 8-bit text is never copied.
std::string_view decodeFileText(std::string_view bytes, std::string& narrowed) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    narrowed = narrowUtf16(bytes.substr(2));
    return narrowed;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return bytes;
}

/// The lines of a text, each without its line end and trailing blanks.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool next(std::string_view& line) {
    if (!peek(line)) return false;
    std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    return true;
  }

  bool peek(std::string_view& line) const {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = trimRight(text_.substr(pos_, end - pos_));
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

/// Builds a tree while the file is read. Deleted values stay in place as
/// erased entries until `finish`, so that a deletion costs no shifting.
class RegistryTreeBuilder {
 public:
  explicit RegistryTreeBuilder(RegistryTree& tree) : tree_(tree) {}

  KeyId createPath(const std::vector<std::string_view>& pieces) {
    KeyId key = RegistryTree::Root;
    for (std::string_view piece : pieces) {
      std::string name = ascii::lowered(piece);
      auto found = tree_.keys_[key].subKeys.find(name);
      if (found != tree_.keys_[key].subKeys.end()) {
        key = found->second;
        continue;
      }
      KeyId created = tree_.keys_.size();
      tree_.keys_.emplace_back();  // invalidates references into keys_
      tree_.keys_[key].subKeys.emplace(std::move(name), created);
      key = created;
    }
    return key;
  }

  /// Unlinks the key from its parent; its subtree becomes unreachable.
  void deletePath(const std::vector<std::string_view>& pieces) {
    if (pieces.empty()) return;  // the hive itself cannot be deleted
    KeyId parent = RegistryTree::Root;
    for (std::size_t i = 0; i + 1 < pieces.size() && parent != RegistryTree::NoKey; ++i) {
      parent = tree_.subKey(parent, pieces[i]);
    }
    if (parent != RegistryTree::NoKey) {
      tree_.keys_[parent].subKeys.erase(ascii::lowered(pieces.back()));
    }
  }

  void setValue(KeyId key, std::string_view name, std::uint32_t type, std::string data) {
    RegistryTree::Key& k = tree_.keys_[key];
    const std::size_t slot = k.index.findSlot(k.values, name);
    if (slot != RegistryTree::ValueIndex::None) {
      RegistryValue& value = k.values[k.index.positionAt(slot)];
      value.type = type;
      value.data = std::move(data);
      return;
    }
    k.values.push_back(RegistryValue{std::string(name), type, std::move(data)});
    k.index.add(k.values, k.values.size() - 1);
  }

  void deleteValue(KeyId key, std::string_view name) {
    RegistryTree::Key& k = tree_.keys_[key];
    const std::size_t slot = k.index.findSlot(k.values, name);
    if (slot == RegistryTree::ValueIndex::None) return;
    std::vector<bool>& erased = erased_[key];
    if (erased.size() < k.values.size()) erased.resize(k.values.size());
    erased[k.index.positionAt(slot)] = true;
    k.index.removeSlot(slot);
  }

  void finish() {
    for (auto& [key, erased] : erased_) {
      RegistryTree::Key& k = tree_.keys_[key];
      std::vector<RegistryValue> kept;
      kept.reserve(k.values.size());
      for (std::size_t i = 0; i < k.values.size(); ++i) {
        if (i >= erased.size() || !erased[i]) kept.push_back(std::move(k.values[i]));
      }
      k.values = std::move(kept);
      k.index.rebuild(k.values);
    }
    erased_.clear();
    for (RegistryTree::Key& k : tree_.keys_) {
      k.longestValueName = 0;
      for (const RegistryValue& value : k.values) {
        k.longestValueName = std::max(k.longestValueName, value.name.size());
      }
    }
  }

 private:
  RegistryTree& tree_;
  std::unordered_map<KeyId, std::vector<bool>> erased_;
};

namespace {

class RegeditParser {
 public:
  RegeditParser(std::string_view text, bool unicodeData, RegistryTreeBuilder& builder)
      : lines_(text), unicodeData_(unicodeData), builder_(builder) {}

  /// `passed`, when given, is told now and then that the text before a
  /// point is read for good.
  void run(const std::function<void(const char*)>& passed) {
    constexpr std::ptrdiff_t Step = 8 * 1024 * 1024;
    const char* reported = nullptr;
    std::string_view line;
    while (lines_.next(line)) {
      if (passed && (reported == nullptr || line.data() - reported >= Step)) {
        reported = line.data();
        passed(reported);
      }
      line = trimLeft(line);
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        section(line);
      } else if (line[0] == '"' || line[0] == '@') {
        valueLine(line);
      }
      // Anything else is malformed and skipped.
    }
  }

 private:
  void section(std::string_view line) {
    // A broken section line is skipped like any malformed line: the values
    // that follow still go to the current key (as Wine's regedit has it).
    if (line.size() < 2 || line.back() != ']') return;
    current_ = RegistryTree::NoKey;
    std::string_view path = line.substr(1, line.size() - 2);
    bool remove = !path.empty() && path[0] == '-';
    if (remove) path.remove_prefix(1);
    std::size_t separator = path.find('\\');
    std::string_view hive = path.substr(0, separator);
    if (!ascii::equalIgnoringCase(hive, "HKEY_LOCAL_MACHINE") &&
        !ascii::equalIgnoringCase(hive, "HKLM")) {
      return;
    }
    std::vector<std::string_view> pieces = splitKeyPath(
        separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1));
    if (remove) {
      builder_.deletePath(pieces);
    } else {
      current_ = builder_.createPath(pieces);
    }
  }

  void valueLine(std::string_view line) {
    std::string name;
    std::size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!readQuoted(line, pos, name)) {
      return;
    }
    std::string_view rest = trimLeft(line.substr(pos));
    if (rest.empty() || rest[0] != '=') return;
    std::string_view data = trimLeft(rest.substr(1));

    // Hex data is read first even under no key, so that its continuation
    // lines are consumed rather than taken for lines of their own.
    std::uint32_t type = 0;
    std::string bytes;
    bool isDelete = false;
    if (!parseData(data, type, bytes, isDelete)) return;
    if (current_ == RegistryTree::NoKey) return;
    if (isDelete) {
      builder_.deleteValue(current_, name);
    } else {
      builder_.setValue(current_, name, type, std::move(bytes));
    }
  }

  bool parseData(std::string_view data, std::uint32_t& type, std::string& bytes, bool& isDelete) {
    if (data == "-") {
      isDelete = true;
      return true;
    }
    if (!data.empty() && data[0] == '"') {
      bytes.reserve(data.size());  // the text and its NUL, without growing twice its size
      std::size_t pos = 0;
      if (!readQuoted(data, pos, bytes) || pos != data.size()) return false;
      bytes.push_back('\0');
      type = RegistryString;
      return true;
    }
    if (startsWithIgnoringCase(data, "dword:")) {
      std::uint32_t number = 0;
      if (!parseHexNumber(data.substr(6), number)) return false;
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
      type = RegistryDword;
      return true;
    }
    if (startsWithIgnoringCase(data, "hex")) return parseHex(data.substr(3), type, bytes);
    return false;
  }

  /// `:bytes` or `(N):bytes`, the bytes possibly continued on further lines.
  bool parseHex(std::string_view rest, std::uint32_t& type, std::string& bytes) {
    type = RegistryBinary;
    if (!rest.empty() && rest[0] == '(') {
      std::size_t close = rest.find(')');
      if (close == std::string_view::npos || !parseHexNumber(rest.substr(1, close - 1), type)) {
        return false;
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':') return false;
    std::string text(rest.substr(1));
    while (!text.empty() && text.back() == '\\') {
      text.pop_back();
      std::string_view next;
      if (!lines_.peek(next) || !isContinuation(trimLeft(next))) break;
      lines_.next(next);
      text.append(trimLeft(next));
    }
    if (!decodeHexBytes(text, bytes)) return false;
    if (unicodeData_ && isStringType(type)) bytes = narrowUtf16(bytes);
    return true;
  }

  /// A line that can carry on hex data. A blank, comment, section or value
  /// line ends a value cut short instead, which keeps the bytes read so far.
  static bool isContinuation(std::string_view line) {
    return !line.empty() && line[0] != ';' && line[0] != '[' && line[0] != '"' && line[0] != '@';
  }

  LineReader lines_;
  bool unicodeData_;
  RegistryTreeBuilder& builder_;
  KeyId current_ = RegistryTree::NoKey;
};

}  // namespace

namespace {

/// parseRegeditExport, telling `passed` now and then how far the bytes are
/// read for good.
RegistryTree parseExport(std::string_view bytes, bool* recognised,
                         const std::function<void(const char*)>& passed) {
  RegistryTree tree;
  if (recognised != nullptr) *recognised = false;
  std::string narrowed;
  const std::string_view text = decodeFileText(bytes, narrowed);
  LineReader header(text);
  std::string_view first;
  if (!header.next(first)) return tree;
  bool version5 = first == "Windows Registry Editor Version 5.00";
  if (!version5 && first != "REGEDIT4") return tree;
  if (recognised != nullptr) *recognised = true;

  std::size_t firstEnd = text.find('\n');
  std::string_view body =
      firstEnd == std::string_view::npos ? std::string_view() : text.substr(firstEnd + 1);
  RegistryTreeBuilder builder(tree);
  RegeditParser(body, version5, builder).run(passed);
  builder.finish();
  return tree;
}

}  // namespace

RegistryTree parseRegeditExport(std::string_view bytes, bool* recognised) {
  return parseExport(bytes, recognised, nullptr);
}

namespace {

/// The whole of a regular host file, for a file that cannot be mapped.
bool readHostFile(const std::string& hostPath, std::string& bytes) {
  std::FILE* stream = openRegularHostStream(hostPath);
  if (stream == nullptr) return false;
  char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, stream)) > 0) bytes.append(block, got);
  const bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  return !failed;
}

}  // namespace

RegistryTree loadRegeditFile(const std::string& hostPath, RegeditFileState* state) {
  RegeditFileState ignored;
  RegeditFileState& result = state != nullptr ? *state : ignored;
  // The file is mapped, not copied: the parser reads the bytes where they
  // are, and only what the tree keeps is held a second time.
  MappedFile file;
  std::string copy;  // the bytes of a file that cannot be mapped
  switch (file.openHost(hostPath)) {
    case MappedFile::Opened::Mapped:
      break;
    case MappedFile::Opened::NotMapped:
      if (!readHostFile(hostPath, copy)) {
        result = RegeditFileState::Unreadable;
        return RegistryTree();
      }
      break;
    case MappedFile::Opened::Missing:
      result = RegeditFileState::Missing;
      return RegistryTree();
    case MappedFile::Opened::NotRegular:
      result = RegeditFileState::NotRegular;
      return RegistryTree();
    case MappedFile::Opened::Unreadable:
      result = RegeditFileState::Unreadable;
      return RegistryTree();
  }
  const std::string_view bytes =
      file.bytes() != nullptr
          ? std::string_view(reinterpret_cast<const char*>(file.bytes()), file.size())
          : std::string_view(copy);
  bool recognised = false;
  // A file shortened while it is parsed reads as zeros from the fault on;
  // what was parsed then is not the file, which counts as unreadable.
  const MappedFile::Guard guard(file);
  RegistryTree tree = parseExport(bytes, &recognised, [&](const char* point) {
    // The pages read for good are given back as the parser goes, so that
    // the mapping does not stay resident beside the tree built from it. A
    // UTF-16 file is parsed from a narrowed copy, not from the mapping.
    if (file.bytes() != nullptr && point >= bytes.data() && point <= bytes.data() + bytes.size()) {
      file.release(static_cast<std::size_t>(point - bytes.data()));
    }
  });
  if (guard.faulted()) {
    result = RegeditFileState::Unreadable;
    return RegistryTree();
  }
  result = recognised ? RegeditFileState::Loaded : RegeditFileState::NotAnExport;
  return tree;
}

}  // namespace platform::posix
