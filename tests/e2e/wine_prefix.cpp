#include "wine_prefix.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "process.h"

namespace fs = std::filesystem;

namespace e2e::wine {
namespace {

// Files the harness keeps in the prefix directory.
const char* const BootedMark = "zorivt-e2e-booted";      // present while booted
const char* const BaseRegistry = "zorivt-e2e-hklm.txt";  // HKLM as booted, 8-bit
const char* const StateFile = "zorivt-e2e-state.txt";    // version, then the undo lines
const char* const ImportFile = "zorivt-e2e-import.reg";
const char* const MachineCopy = "zorivt-e2e-machine.reg";
const char* const WineLog = "zorivt-e2e-wine.log";
const char* const StandardProtocols = "zorivt-e2e-protocol";  // Wine's etc\protocol

const char* const LocalMachine = "HKEY_LOCAL_MACHINE\\";
const char* const NtVersionKey = "software\\microsoft\\windows nt\\currentversion";
const char* const WindowsVersionKey = "software\\microsoft\\windows\\currentversion";

// The variables that Wine's registry puts into every process's environment.
const char* const EnvironmentReset =
    "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment]\n\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment]\n\n"
    "[-HKEY_CURRENT_USER\\Environment]\n\n"
    "[HKEY_CURRENT_USER\\Environment]\n\n"
    "[-HKEY_CURRENT_USER\\Volatile Environment]\n\n";

constexpr int WineCommandTimeout = 300;

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && lower(text.substr(0, prefix.size())) == lower(prefix);
}

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeWhole(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

/// The bytes of a .reg file as 8-bit text: UTF-16LE (with its byte-order
/// mark) narrowed, code units above 0xFF becoming '?'.
std::string regFileText(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned unit = static_cast<unsigned char>(bytes[i]) |
                      static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
      text.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return text;
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
  return bytes;
}

/// 8-bit text as a UTF-16LE .reg file with its byte-order mark.
std::string utf16File(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) {
    if (c == '\n') bytes.append("\r\0", 2);
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.pop_back();
    }
    result.push_back(line);
  }
  return result;
}

/// The name of a value line, lower-cased ("@" for the default value); empty
/// for a line that starts no value.
std::string valueName(const std::string& line) {
  if (line.empty()) return std::string();
  if (line[0] == '@') return "@";
  if (line[0] != '"') return std::string();
  std::string name;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      name += line[++i];
    } else if (line[i] == '"') {
      return "\"" + lower(name);
    } else {
      name += line[i];
    }
  }
  return std::string();
}

/// The quoted text of a value line `"name"="text"`, unescaped; false when
/// the value is not a plain string.
bool stringValue(const std::string& line, std::string& text) {
  std::size_t equals = line.find("\"=\"");
  if (equals == std::string::npos || line.back() != '"') return false;
  text.clear();
  for (std::size_t i = equals + 3; i + 1 < line.size(); ++i) {
    if (line[i] == '\\' && i + 2 < line.size()) ++i;
    text += line[i];
  }
  return true;
}

/// HKEY_LOCAL_MACHINE as the prefix had it when booted: every key (below
/// the hive, as written) with its value lines.
struct Snapshot {
  struct Key {
    std::string path;
    std::vector<std::string> lines;  // value lines with their continuations
    std::set<std::string> names;     // lower-case value names
  };
  std::map<std::string, Key> keys;  // by lower-case path

  bool has(const std::string& path) const { return keys.count(lower(path)) != 0; }

  void load(const std::string& text) {
    Key* current = nullptr;
    for (const std::string& line : lines(text)) {
      if (line.size() > 2 && line[0] == '[' && line.back() == ']') {
        std::string path = line.substr(1, line.size() - 2);
        current = nullptr;
        if (!startsWithIgnoringCase(path, LocalMachine)) continue;
        path = path.substr(std::string(LocalMachine).size());
        current = &keys[lower(path)];
        current->path = path;
      } else if (current != nullptr && !line.empty()) {
        current->lines.push_back(line);
        std::string name = valueName(line);
        if (!name.empty()) current->names.insert(name);
      }
    }
  }

  /// The lines that bring back the subtree at `path` as it was.
  std::string restoreSubtree(const std::string& path) const {
    std::string text;
    const std::string base = lower(path);
    for (auto it = keys.lower_bound(base); it != keys.end(); ++it) {
      const std::string& key = it->first;
      if (key != base && key.compare(0, base.size() + 1, base + "\\") != 0) break;
      text += "[" + std::string(LocalMachine) + it->second.path + "]\n";
      for (const std::string& line : it->second.lines) text += line + "\n";
      text += "\n";
    }
    return text;
  }
};

/// What a machine's registry.reg does to HKEY_LOCAL_MACHINE, as far as
/// undoing it and choosing Wine's version need.
struct MachineRegistry {
  std::vector<std::string> sections;                        // key paths below the hive
  std::vector<bool> deletes;                                // section i deletes its key
  std::map<std::string, std::set<std::string>> valueNames;  // by lower-case key
  std::map<std::string, std::string> valueLines;            // "key|name" -> raw first line

  void load(const std::string& text) {
    std::string current;
    bool inside = false;
    for (const std::string& raw : lines(text)) {
      std::string line = raw.substr(std::min(raw.find_first_not_of(" \t"), raw.size()));
      if (line.size() > 2 && line[0] == '[' && line.back() == ']') {
        std::string path = line.substr(1, line.size() - 2);
        bool remove = !path.empty() && path[0] == '-';
        if (remove) path.erase(0, 1);
        inside = false;
        for (const char* hive : {LocalMachine, "HKLM\\"}) {
          if (!startsWithIgnoringCase(path, hive)) continue;
          current = path.substr(std::string(hive).size());
          while (!current.empty() && current.back() == '\\') current.pop_back();
          sections.push_back(current);
          deletes.push_back(remove);
          inside = !remove;
        }
        continue;
      }
      if (!inside) continue;
      std::string name = valueName(line);
      if (name.empty()) continue;
      valueNames[lower(current)].insert(name);
      valueLines[lower(current) + "|" + name] = line;
    }
  }

  /// The text of a string value as the file leaves it; false when unset.
  bool value(const std::string& key, const std::string& name, std::string& text) const {
    bool deletedLater = false;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      if (lower(sections[i]) == key) deletedLater = deletes[i];
    }
    if (deletedLater) return false;
    auto found = valueLines.find(key + "|\"" + lower(name));
    return found != valueLines.end() && stringValue(found->second, text);
  }

  bool hasKey(const std::string& key) const {
    bool present = false;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      if (lower(sections[i]) == key) present = !deletes[i];
    }
    return present;
  }

  /// The Wine version name of the Windows version this registry names.
  std::string versionName(std::string& shown) const {
    std::string text;
    if (hasKey(NtVersionKey)) {
      if (!value(NtVersionKey, "CurrentVersion", text)) text = "4.0";
      shown = "Windows NT " + text;
      return wine::versionName(true, text);
    }
    if (hasKey(WindowsVersionKey)) {
      value(WindowsVersionKey, "VersionNumber", text);
      shown = "Windows " + text;
      return wine::versionName(false, text);
    }
    shown = "Windows NT 4.0";
    return "nt40";
  }

  /// The lines that take the prefix back to `base` after this file.
  std::string undo(const Snapshot& base) const {
    std::set<std::string> removed;   // new keys, by lower-case path
    std::set<std::string> restored;  // base keys whose values change
    std::set<std::string> subtrees;  // base subtrees the file deletes
    std::string text;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const std::string& path = sections[i];
      if (path.empty()) continue;  // the hive itself is neither created nor deleted
      if (deletes[i]) {
        if (base.has(path)) subtrees.insert(path);
        continue;
      }
      std::size_t end = 0;
      bool added = false;
      while (!added && end != std::string::npos) {
        end = path.find('\\', end + 1);
        std::string prefix = path.substr(0, end);
        if (!base.has(prefix)) {
          if (removed.insert(lower(prefix)).second) {
            text += "[-" + std::string(LocalMachine) + prefix + "]\n\n";
          }
          added = true;
        }
      }
      if (!added) restored.insert(lower(path));
    }
    for (const std::string& key : restored) {
      const Snapshot::Key& was = base.keys.at(key);
      text += "[" + std::string(LocalMachine) + was.path + "]\n";
      auto names = valueNames.find(key);
      if (names != valueNames.end()) {
        for (const std::string& name : names->second) {
          if (was.names.count(name) != 0) continue;
          text += name == "@" ? "@=-\n" : name + "\"=-\n";
        }
      }
      for (const std::string& line : was.lines) text += line + "\n";
      text += "\n";
    }
    for (const std::string& path : subtrees) text += base.restoreSubtree(path);
    return text;
  }
};

bool hasEntryIgnoringCase(const fs::path& directory, const std::string& name) {
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    if (lower(entry.path().filename().string()) == lower(name)) return true;
  }
  return false;
}

std::string windowsPath(const fs::path& host) {
  std::string path = "Z:" + host.string();
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

/// Wine's loader. The loader itself rather than the "wine" script where it
/// can be found: a shell drops variables whose names hold a dot (such as
/// UNIX.UID) from the environment it passes on.
std::string wineProgram() {
  const char* chosen = std::getenv("ZORIVT_E2E_WINE");
  if (chosen && *chosen) return chosen;
  for (const char* loader : {"/usr/lib/wine/wine64", "/usr/lib/x86_64-linux-gnu/wine/wine64"}) {
    if (::access(loader, X_OK) == 0) return loader;
  }
  const std::string found = findProgram("wine64");
  return found != "wine64" ? found : "wine";
}

/// The host environment of Wine's own programs in the prefix.
std::vector<std::string> wineEnvironment(const fs::path& prefix) {
  std::vector<std::string> env{"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all",
                               // No Mono or Gecko installer, nor any window.
                               "WINEDLLOVERRIDES=mscoree,mshtml=", "PATH=/usr/bin:/bin"};
  if (const char* home = std::getenv("HOME")) env.push_back(std::string("HOME=") + home);
  const std::string loader = wineProgram();
  if (fs::path(loader).filename() == "wine64") env.push_back("WINELOADER=" + loader);
  if (const char* server = std::getenv("WINESERVER")) {
    env.push_back(std::string("WINESERVER=") + server);
  }
  return env;
}

/// Runs one of Wine's programs in the prefix; its output goes to the
/// prefix's log.
int wineCommand(const fs::path& prefix, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{wineProgram()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(argv[0], argv, wineEnvironment(prefix), prefix, prefix / WineLog,
                    prefix / WineLog, WineCommandTimeout);
}

std::string wineserverProgram() {
  const char* chosen = std::getenv("WINESERVER");
  return chosen && *chosen ? chosen : "wineserver";
}

}  // namespace

std::vector<std::string> hostEnvironment(
    const fs::path& prefix, const std::vector<std::pair<std::string, std::string>>& environment) {
  std::vector<std::string> env = wineEnvironment(prefix);
  env.erase(std::remove_if(env.begin(), env.end(),
                           [](const std::string& e) { return e.rfind("HOME=", 0) == 0; }),
            env.end());
  for (const auto& [name, value] : environment) {
    // Wine keeps these host variables to itself and hands the Windows side
    // the ones named with a WINE prefix instead.
    bool special = name == "PATH" || name == "TEMP" || name == "TMP" || name == "HOME";
    env.push_back((special ? "WINE" + name : name) + "=" + value);
  }
  return env;
}

std::string versionName(bool nt, const std::string& version) {
  unsigned major = 0, minor = 0;
  if (std::sscanf(version.c_str(), "%u.%u", &major, &minor) < 1) return std::string();
  if (!nt) {
    if (major != 4) return std::string();
    return minor < 10 ? "win95" : minor < 90 ? "win98" : "winme";
  }
  static const std::map<std::pair<unsigned, unsigned>, const char*> Names{
      {{3, 51}, "nt351"},  {{4, 0}, "nt40"},  {{5, 0}, "win2k"}, {{5, 1}, "winxp"},
      {{5, 2}, "win2003"}, {{6, 0}, "vista"}, {{6, 1}, "win7"},  {{6, 2}, "win8"},
      {{6, 3}, "win81"},   {{10, 0}, "win10"}};
  auto found = Names.find({major, minor});
  return found == Names.end() ? std::string() : found->second;
}

bool boot(const fs::path& prefix, std::string& error) {
  fs::create_directories(prefix);
  fs::remove(prefix / BootedMark);
  stop(prefix);
  // A persistent server: the session (Wine's services) starts once and every
  // later process of the run finds it ready.
  if (runProcess(wineserverProgram(), {"wineserver", "-p"}, wineEnvironment(prefix), prefix,
                 prefix / WineLog, prefix / WineLog, 60) != 0) {
    error = "wineserver -p failed; see " + (prefix / WineLog).string();
    return false;
  }
  // What an earlier run imported last is undone along with the environment.
  const std::string state = readWhole(prefix / StateFile);
  const std::size_t firstEnd = state.find('\n');
  const std::string pendingUndo = firstEnd == std::string::npos ? "" : state.substr(firstEnd + 1);
  writeWhole(prefix / "zorivt-e2e-environment.reg",
             utf16File(std::string("Windows Registry Editor Version 5.00\n\n") + EnvironmentReset +
                       pendingUndo));
  // The first Wine program creates the prefix when it is new.
  if (wineCommand(prefix, {"regedit", "/S", windowsPath(prefix / "zorivt-e2e-environment.reg")}) !=
      0) {
    error = "regedit could not empty the environment; see " + (prefix / WineLog).string();
    return false;
  }
  // The TCP/IP configuration directory is the test's own; Wine's protocol
  // file is kept aside for the machines that have none (see the lease).
  const fs::path etc = prefix / "drive_c" / "windows" / "system32" / "drivers" / "etc";
  std::error_code ignored;
  if (fs::exists(etc / "protocol"))
    fs::rename(etc / "protocol", prefix / StandardProtocols, ignored);
  fs::remove_all(etc, ignored);
  const fs::path exported = prefix / "zorivt-e2e-hklm.reg";
  if (wineCommand(prefix, {"regedit", "/E", windowsPath(exported), "HKEY_LOCAL_MACHINE"}) != 0 ||
      !fs::exists(exported)) {
    error = "regedit could not export HKEY_LOCAL_MACHINE; see " + (prefix / WineLog).string();
    return false;
  }
  writeWhole(prefix / BaseRegistry, regFileText(readWhole(exported)));
  fs::remove(exported);
  writeWhole(prefix / StateFile, "\n");
  writeWhole(prefix / BootedMark, "");
  return true;
}

void stop(const fs::path& prefix) {
  runProcess(wineserverProgram(), {"wineserver", "-k"}, wineEnvironment(prefix), prefix, "", "",
             60);
  fs::remove(prefix / BootedMark);
}

const fs::path& currentPrefix() {
  static const fs::path prefix = [] {
    fs::path chosen;
    const char* named = std::getenv("ZORIVT_E2E_WINEPREFIX");
    bool temporary = named == nullptr || *named == '\0';
    if (temporary) {
      std::random_device device;
      std::ostringstream name;
      name << "zorivt-e2e-wine-" << std::hex << device() << device();
      chosen = fs::temp_directory_path() / name.str();
    } else {
      chosen = fs::absolute(named);
    }
    // A prefix booted here is stopped (and a temporary one removed) when
    // the process ends; one booted by the test run's fixture stays for the
    // other tests of the run.
    static fs::path booted;
    static bool removeAtExit = temporary;
    if (temporary || !fs::exists(chosen / BootedMark)) {
      std::fprintf(stderr, "booting the Wine prefix %s\n", chosen.string().c_str());
      std::string error;
      if (!boot(chosen, error)) {
        std::fprintf(stderr, "cannot boot the Wine prefix: %s\n", error.c_str());
        std::exit(1);
      }
      booted = chosen;
      std::atexit([] {
        stop(booted);
        std::error_code ignored;
        if (removeAtExit) fs::remove_all(booted, ignored);
      });
    }
    return chosen;
  }();
  return prefix;
}

MachineLease::MachineLease(const fs::path& prefix, const fs::path& machine, const fs::path& program)
    : prefix_(prefix), machine_(machine) {
  if (!fs::is_directory(machine_ / "drive_c")) {
    error_ = "Wine needs a drive C, and the machine has no drive_c";
    return;
  }
  const fs::path windows = machine_ / "drive_c" / "windows";
  graft(prefix_ / "drive_c" / "windows", windows);
  if (!error_.empty()) return;
  std::error_code failed;
  // The emulation's Winsock knows the standard protocols when the TCP/IP
  // directory has no protocol file; Wine's reads that file only, which a
  // Windows installation always has.
  const fs::path etc = windows / "system32" / "drivers" / "etc";
  if (fs::is_directory(etc) && !fs::is_symlink(etc) && !hasEntryIgnoringCase(etc, "protocol")) {
    fs::create_symlink(prefix_ / StandardProtocols, etc / "protocol", failed);
    if (!failed) created_.push_back(etc / "protocol");
  }
  const fs::path installed = windows / program.filename();
  fs::create_symlink(fs::absolute(program), installed, failed);
  if (failed) {
    error_ = "cannot install " + installed.string() + ": " + failed.message();
    return;
  }
  created_.push_back(installed);
  mapDrives();
  if (error_.empty()) importRegistry();
}

MachineLease::~MachineLease() {
  std::error_code ignored;
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) fs::remove(*it, ignored);
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    fs::remove(prefix_ / "dosdevices" / (std::string(1, letter) + ":"), ignored);
  }
  fs::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:", ignored);
  fs::create_directory_symlink("/", prefix_ / "dosdevices" / "z:", ignored);
}

void MachineLease::graft(const fs::path& from, const fs::path& to) {
  std::error_code failed;
  if (fs::exists(fs::symlink_status(to)) && !fs::is_directory(to)) {
    error_ = to.string() + " is in the way of Wine's Windows directory";
    return;
  }
  if (!fs::exists(fs::symlink_status(to))) {
    fs::create_directory(to, failed);
    if (failed) {
      error_ = "cannot create " + to.string() + ": " + failed.message();
      return;
    }
    created_.push_back(to);
  }
  std::map<std::string, fs::path> present;  // the test's own entries, by lower-case name
  for (const fs::directory_entry& entry : fs::directory_iterator(to)) {
    present.emplace(lower(entry.path().filename().string()), entry.path());
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    auto own = present.find(lower(name));
    if (own == present.end()) {
      fs::create_symlink(entry.path(), to / name, failed);
      if (failed) {
        error_ = "cannot link " + (to / name).string() + ": " + failed.message();
        return;
      }
      created_.push_back(to / name);
    } else if (entry.is_directory() && fs::is_directory(own->second) &&
               !fs::is_symlink(own->second)) {
      graft(entry.path(), own->second);
    }
    if (!error_.empty()) return;
  }
}

void MachineLease::mapDrives() {
  std::error_code failed;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const fs::path link = prefix_ / "dosdevices" / (std::string(1, letter) + ":");
    fs::remove(link, failed);
    const fs::path drive = machine_ / (std::string("drive_") + letter);
    fs::path target;
    if (fs::is_directory(drive)) {
      target = fs::canonical(drive);
    } else if (letter == 'z') {
      target = "/";
    }
    if (target.empty()) continue;
    fs::create_directory_symlink(target, link, failed);
    if (failed) error_ = "cannot map drive " + std::string(1, letter) + ": " + failed.message();
  }
}

fs::path MachineLease::importable(const fs::path& registryFile) const {
  // Windows' regedit reads hex(2) and hex(7) data as UTF-16 in a version
  // 5.00 file and as 8-bit text in a REGEDIT4 one, as the emulation does;
  // Wine's decides by the file's encoding instead. A copy in the encoding
  // that goes with the version makes Wine read the data as Windows would.
  const std::string bytes = readWhole(registryFile);
  const bool wide = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::string text;
  for (const std::string& line : lines(regFileText(bytes))) text += line + "\n";
  const bool version5 = text.rfind("Windows Registry Editor Version 5.00\n", 0) == 0;
  if (version5 == wide) return registryFile;
  const fs::path copy = prefix_ / MachineCopy;
  writeWhole(copy, version5 ? utf16File(text) : text);
  return copy;
}

void MachineLease::importRegistry() {
  // The state: Wine's version as last set, then what undoes the last import.
  const std::string state = readWhole(prefix_ / StateFile);
  const std::size_t firstEnd = state.find('\n');
  const std::string lastVersion = state.substr(0, firstEnd);
  const std::string lastUndo = firstEnd == std::string::npos ? "" : state.substr(firstEnd + 1);

  const fs::path registryFile = machine_ / "registry.reg";
  const bool hasRegistry = fs::is_regular_file(registryFile);
  MachineRegistry machineRegistry;
  if (hasRegistry) machineRegistry.load(regFileText(readWhole(registryFile)));
  std::string shown;
  const std::string version = machineRegistry.versionName(shown);
  if (version.empty()) {
    error_ = "Wine has no version setting for " + shown;
    return;
  }
  if (!hasRegistry && lastUndo.empty() && version == lastVersion) return;

  std::string undo;
  if (!machineRegistry.sections.empty()) {
    Snapshot base;
    base.load(readWhole(prefix_ / BaseRegistry));
    undo = machineRegistry.undo(base);
  }
  std::string import = "Windows Registry Editor Version 5.00\n\n" + lastUndo +
                       "[HKEY_CURRENT_USER\\Software\\Wine]\n\"Version\"=\"" + version + "\"\n\n";
  writeWhole(prefix_ / ImportFile, utf16File(import));
  // Until the import has succeeded, both imports may need undoing.
  writeWhole(prefix_ / StateFile, version + "\n" + lastUndo + undo);
  std::vector<std::string> arguments{"regedit", "/S", windowsPath(prefix_ / ImportFile)};
  if (hasRegistry) arguments.push_back(windowsPath(importable(registryFile)));
  if (wineCommand(prefix_, arguments) != 0) {
    error_ = "regedit failed; see " + (prefix_ / WineLog).string();
    return;
  }
  writeWhole(prefix_ / StateFile, version + "\n" + undo);
}

int run(const fs::path& prefix, const Launch& launch, const fs::path& outFile,
        const fs::path& errFile, int timeoutSeconds) {
  // Called by its name, as at a console prompt: Wine finds it in the Windows
  // directory, where the lease put it.
  std::vector<std::string> argv{wineProgram(), launch.program.stem().string()};
  argv.insert(argv.end(), launch.arguments.begin(), launch.arguments.end());
  return runProcess(argv[0], argv, hostEnvironment(prefix, launch.environment),
                    launch.workingDirectory, outFile, errFile, timeoutSeconds);
}

}  // namespace e2e::wine
