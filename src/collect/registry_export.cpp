#include "collect/registry_export.h"

#include <cstdio>

#include "platform/registry.h"

namespace {

/// A quoted name or string with `\` and `"` escaped; false when it holds a
/// line end or NUL, which no quoted text of the format can carry.
bool quoted(const std::string& text, std::string& out) {
  out = "\"";
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return true;
}

/// `hex:` or `hex(N):` data, continued after a backslash every 25 bytes.
std::string hexData(std::uint32_t type, const std::string& data) {
  char head[24];
  if (type == platform::RegistryBinary) {
    std::snprintf(head, sizeof head, "hex:");
  } else {
    std::snprintf(head, sizeof head, "hex(%x):", static_cast<unsigned>(type));
  }
  std::string out = head;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    out += byte;
    if (i + 1 < data.size()) out += (i + 1) % 25 == 0 ? ",\\\n  " : ",";
  }
  return out;
}

std::string valueData(const platform::RecordedValue& value) {
  const std::string& data = value.data;
  if (value.type == platform::RegistryString && !data.empty() && data.back() == '\0') {
    std::string text;
    if (quoted(data.substr(0, data.size() - 1), text)) return text;
  }
  if (value.type == platform::RegistryDword && data.size() == 4) {
    const auto b = [&](int i) {
      return static_cast<unsigned long>(static_cast<unsigned char>(data[i]));
    };
    char dword[24];
    std::snprintf(dword, sizeof dword, "dword:%08lx", b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
    return dword;
  }
  return hexData(value.type, data);
}

}  // namespace

std::string exportRegistry(const std::vector<ExportedKey>& keys,
                           std::vector<std::string>& skipped) {
  std::string out = "REGEDIT4\n";
  for (const ExportedKey& key : keys) {
    out += "\n[HKEY_LOCAL_MACHINE";
    if (!key.path.empty()) out += "\\" + key.path;
    out += "]\n";
    for (const platform::RecordedValue& value : key.values) {
      std::string name = "@";
      if (!value.name.empty() && !quoted(value.name, name)) {
        skipped.push_back("HKEY_LOCAL_MACHINE\\" + key.path +
                          ": a value whose name holds a line end");
        continue;
      }
      out += name + "=" + valueData(value) + "\n";
    }
  }
  return out;
}
