#include "wine_prefix.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

#include "machine_directory.h"
#include "platform/ascii.h"
#include "platform/posix/regedit_parser.h"
#include "platform/registry.h"
#include "process.h"

namespace fs = std::filesystem;

namespace e2e::wine {
namespace {

using test_support::readFile;
using test_support::writeFile;

// Files the harness keeps in the prefix directory.
const char* const BootedMark = "zorivt-e2e-booted";      // present while booted
const char* const BaseRegistry = "zorivt-e2e-hklm.reg";  // HKLM as booted
const char* const StateFile = "zorivt-e2e-state.txt";    // version, then the undo lines
const char* const ImportFile = "zorivt-e2e-import.reg";
const char* const MachineCopy = "zorivt-e2e-machine.reg";
const char* const WineLog = "zorivt-e2e-wine.log";
const char* const StandardProtocols = "zorivt-e2e-protocol";  // Wine's etc\protocol

const std::string LocalMachine = "HKEY_LOCAL_MACHINE\\";
const char* const NtVersionKey = "software\\microsoft\\windows nt\\currentversion";
const char* const WindowsVersionKey = "software\\microsoft\\windows\\currentversion";
const char* const Version5 = "Windows Registry Editor Version 5.00\n\n";

// The variables that Wine's registry puts into every process's environment.
const char* const EnvironmentReset =
    "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment]\n\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment]\n\n"
    "[-HKEY_CURRENT_USER\\Environment]\n\n"
    "[HKEY_CURRENT_USER\\Environment]\n\n"
    "[-HKEY_CURRENT_USER\\Volatile Environment]\n\n";

constexpr int WineCommandTimeout = 300;

using platform::ascii::lowered;

/// The bytes of a .reg file as 8-bit text with line feeds: UTF-16LE (with
/// its byte-order mark) narrowed, code units above 0xFF becoming '?'.
std::string regFileText(const std::string& bytes) {
  std::string text;
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned unit = static_cast<unsigned char>(bytes[i]) |
                      static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
      text.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
  } else {
    text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  }
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
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

using platform::posix::RegistryTree;
using platform::posix::RegistryValue;

/// The key at `path` (key names between backslashes) of `registry`; NoKey
/// when it does not exist.
RegistryTree::KeyId keyAt(const RegistryTree& registry, const std::string& path) {
  RegistryTree::KeyId key = RegistryTree::Root;
  for (std::size_t start = 0; key != RegistryTree::NoKey && start <= path.size();) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    key = registry.subKey(key, std::string_view(path).substr(start, end - start));
    start = end + 1;
  }
  return key;
}

/// The text of the string value `name` of `key`; empty without one.
std::string textOf(const RegistryTree& registry, RegistryTree::KeyId key, const char* name) {
  const platform::posix::RegistryValue* value =
      key == RegistryTree::NoKey ? nullptr : registry.findValue(key, name);
  if (value == nullptr ||
      (value->type != platform::RegistryString && value->type != platform::RegistryExpandString)) {
    return std::string();
  }
  return value->data.substr(0, value->data.find('\0'));
}

/// The Wine version name of the Windows version that `registry` (the
/// machine's, read as the checker reads it) names: the NT key's
/// CurrentVersion (4.0 without it), else a Windows 95/98 "VersionNumber";
/// empty for a version Wine does not know.
std::string versionName(const RegistryTree& registry, std::string& shown) {
  unsigned major = 4, minor = 0;
  const RegistryTree::KeyId nt = keyAt(registry, NtVersionKey);
  const RegistryTree::KeyId windows = keyAt(registry, WindowsVersionKey);
  if (nt == RegistryTree::NoKey && windows != RegistryTree::NoKey) {
    const std::string value = textOf(registry, windows, "VersionNumber");
    shown = "Windows " + value;
    if (std::sscanf(value.c_str(), "%u.%u", &major, &minor) < 1 || major != 4) return "";
    return minor < 10 ? "win95" : minor < 90 ? "win98" : "winme";
  }
  const std::string value = textOf(registry, nt, "CurrentVersion");
  shown = "Windows NT " + (value.empty() ? "4.0" : value);
  if (!value.empty() && std::sscanf(value.c_str(), "%u.%u", &major, &minor) < 1) return "";
  static const std::map<std::pair<unsigned, unsigned>, const char*> Names{
      {{3, 51}, "nt351"},  {{4, 0}, "nt40"},  {{5, 0}, "win2k"}, {{5, 1}, "winxp"},
      {{5, 2}, "win2003"}, {{6, 0}, "vista"}, {{6, 1}, "win7"},  {{6, 2}, "win8"},
      {{6, 3}, "win81"},   {{10, 0}, "win10"}};
  auto found = Names.find({major, minor});
  return found == Names.end() ? std::string() : found->second;
}

/// A value's name as a .reg file writes it: "@" for the default value.
std::string nameInFile(const std::string& name) {
  if (name.empty()) return "@";
  std::string quoted = "\"";
  for (char c : name) quoted += c == '\\' || c == '"' ? std::string{'\\', c} : std::string{c};
  return quoted + "\"";
}

/// A value line of a version 5.00 .reg text that gives `value` its type
/// and data: hex bytes, those of the string types widened to UTF-16LE as
/// such a file holds them (characters the parser narrowed to '?' stay so).
std::string valueLine(const RegistryValue& value) {
  char number[24];
  std::snprintf(number, sizeof number, "=hex(%x):", static_cast<unsigned>(value.type));
  std::string line = nameInFile(value.name) + number;
  const bool wide = value.type == platform::RegistryString ||
                    value.type == platform::RegistryExpandString ||
                    value.type == platform::RegistryMultiString;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(number, sizeof number, "%s%02x%s", i == 0 ? "" : ",",
                  static_cast<unsigned char>(value.data[i]), wide ? ",00" : "");
    line += number;
  }
  return line;
}

/// The lines that take HKEY_LOCAL_MACHINE back to `base` after `file` was
/// imported: a key Wine did not have goes with the first key above it that
/// Wine did not have either; a key it had, and that the file gives values,
/// gets its own values back.
std::string undo(const RegistryTree& file, const RegistryTree& base) {
  std::string removed, restored;
  struct Pending {
    std::string path;  // below the hive, in lower case
    RegistryTree::KeyId inFile, inBase;
  };
  std::vector<Pending> pending{{"", RegistryTree::Root, RegistryTree::Root}};
  while (!pending.empty()) {
    const Pending key = pending.back();
    pending.pop_back();
    if (key.inBase == RegistryTree::NoKey) {
      removed += "[-" + LocalMachine + key.path + "]\n\n";
      continue;
    }
    // The hive itself is neither created nor deleted, nor are its values set.
    if (!key.path.empty() && !file.values(key.inFile).empty()) {
      restored += "[" + LocalMachine + key.path + "]\n";
      for (const RegistryValue& value : file.values(key.inFile)) {
        restored += nameInFile(value.name) + "=-\n";
      }
      for (const RegistryValue& value : base.values(key.inBase))
        restored += valueLine(value) + "\n";
      restored += "\n";
    }
    for (const auto& [name, sub] : file.subKeys(key.inFile)) {
      pending.push_back(
          {key.path.empty() ? name : key.path + "\\" + name, sub, base.subKey(key.inBase, name)});
    }
  }
  return removed + restored;
}

std::string windowsPath(const fs::path& host) {
  std::string path = "Z:" + host.string();
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

/// Wine's 32-bit loader: the checker is a 32-bit program, and in a 64-bit
/// prefix Wine's own programs started by it are the 32-bit ones, so that
/// regedit imports into the 32-bit registry view (WOW64), where a 32-bit
/// installer writes. The loader itself rather than the "wine" script: a
/// shell drops variables whose names hold a dot (such as UNIX.UID) from the
/// environment it passes on.
std::string wineProgram() {
  const char* chosen = std::getenv("ZORIVT_E2E_WINE");
  if (chosen && *chosen) return chosen;
  for (const char* loader : {"/usr/lib/wine/wine", "/usr/lib/i386-linux-gnu/wine/wine"}) {
    if (::access(loader, X_OK) == 0) return loader;
  }
  return findProgram("wine");
}

/// The host environment of Wine's own programs in the prefix.
std::vector<std::string> wineEnvironment(const fs::path& prefix, bool withHome = true) {
  std::vector<std::string> env{"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all",
                               // No Mono or Gecko installer, nor any window.
                               "WINEDLLOVERRIDES=mscoree,mshtml=", "PATH=/usr/bin:/bin"};
  const char* home = std::getenv("HOME");
  if (home && withHome) env.push_back(std::string("HOME=") + home);
  // The architecture of a prefix that does not exist yet (win32 or win64).
  const char* arch = std::getenv("ZORIVT_E2E_WINEARCH");
  if (arch && *arch) env.push_back(std::string("WINEARCH=") + arch);
  if (const char* server = std::getenv("WINESERVER")) {
    env.push_back(std::string("WINESERVER=") + server);
  }
  return env;
}

/// Runs one of Wine's programs in the prefix; its output goes to the
/// prefix's log.
bool wineCommand(const fs::path& prefix, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{wineProgram()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(argv[0], argv, wineEnvironment(prefix), prefix, prefix / WineLog,
                    prefix / WineLog, WineCommandTimeout) == 0;
}

int wineserver(const fs::path& prefix, const char* option) {
  const char* chosen = std::getenv("WINESERVER");
  return runProcess(chosen && *chosen ? chosen : "wineserver", {"wineserver", option},
                    wineEnvironment(prefix), prefix, prefix / WineLog, prefix / WineLog, 60);
}

/// What undoes the last import, as the state file keeps it after the
/// version Wine was last set to.
std::string pendingUndo(const fs::path& prefix, std::string* version = nullptr) {
  const std::string state = readFile(prefix / StateFile);
  const std::size_t firstEnd = state.find('\n');
  if (version != nullptr) *version = state.substr(0, firstEnd);
  return firstEnd == std::string::npos ? "" : state.substr(firstEnd + 1);
}

}  // namespace

std::vector<std::string> hostEnvironment(const fs::path& prefix, const Environment& environment) {
  std::vector<std::string> env = wineEnvironment(prefix, false);
  for (const auto& [name, value] : environment) {
    // Wine keeps these host variables to itself and hands the Windows side
    // the ones named with a WINE prefix instead.
    bool special = name == "PATH" || name == "TEMP" || name == "TMP" || name == "HOME";
    env.push_back((special ? "WINE" + name : name) + "=" + value);
  }
  return env;
}

bool boot(const fs::path& prefix, std::string& error) {
  fs::create_directories(prefix);
  fs::remove(prefix / BootedMark);
  stop(prefix);
  const std::string log = "; see " + (prefix / WineLog).string();
  // A persistent server: the session (Wine's services) starts once and every
  // later process of the run finds it ready.
  if (wineserver(prefix, "-p") != 0) {
    error = "wineserver -p failed" + log;
    return false;
  }
  // The first Wine program creates the prefix when it is new; what an
  // earlier run imported last is undone along with the environment.
  writeFile(prefix / ImportFile,
            utf16File(Version5 + std::string(EnvironmentReset) + pendingUndo(prefix)));
  if (!wineCommand(prefix, {"regedit", "/S", windowsPath(prefix / ImportFile)})) {
    error = "regedit could not empty the environment" + log;
    return false;
  }
  // The TCP/IP configuration directory is the test's own; Wine's protocol
  // file is kept aside for the machines that have none (see the lease).
  const fs::path etc = prefix / "drive_c" / "windows" / "system32" / "drivers" / "etc";
  std::error_code ignored;
  if (fs::exists(etc / "protocol"))
    fs::rename(etc / "protocol", prefix / StandardProtocols, ignored);
  fs::remove_all(etc, ignored);
  const fs::path exported = prefix / "zorivt-e2e-export.reg";
  if (!wineCommand(prefix, {"regedit", "/E", windowsPath(exported), "HKEY_LOCAL_MACHINE"}) ||
      !fs::exists(exported)) {
    error = "regedit could not export HKEY_LOCAL_MACHINE" + log;
    return false;
  }
  fs::rename(exported, prefix / BaseRegistry);
  writeFile(prefix / StateFile, "\n");
  writeFile(prefix / BootedMark, "");
  return true;
}

void stop(const fs::path& prefix) {
  wineserver(prefix, "-k");
  fs::remove(prefix / BootedMark);
}

const fs::path& currentPrefix() {
  static const fs::path prefix = [] {
    const char* named = std::getenv("ZORIVT_E2E_WINEPREFIX");
    static const bool temporary = named == nullptr || *named == '\0';
    fs::path chosen = temporary ? fs::path() : fs::absolute(named);
    if (temporary) {
      std::random_device device;
      std::ostringstream name;
      name << "zorivt-e2e-wine-" << std::hex << device() << device();
      chosen = fs::temp_directory_path() / name.str();
    }
    // A prefix booted here is stopped (and a temporary one removed) when
    // the process ends; one booted by the test run's fixture stays for the
    // other tests of the run.
    static fs::path booted;
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
        if (temporary) fs::remove_all(booted, ignored);
      });
    }
    return chosen;
  }();
  return prefix;
}

MachineLease::MachineLease(const fs::path& prefix, const fs::path& machine, const fs::path& program)
    : prefix_(prefix), machine_(machine) {
  const fs::path windows = machine_ / "drive_c" / "windows";
  if (!fs::is_directory(machine_ / "drive_c")) {
    error_ = "Wine needs a drive C, and the machine has no drive_c";
  } else if (fs::exists(fs::symlink_status(windows)) && !fs::is_directory(windows)) {
    error_ = windows.string() + " is in the way of Wine's Windows directory";
  } else {
    graft(prefix_ / "drive_c" / "windows", windows);
  }
  if (!error_.empty()) return;
  std::error_code failed;
  // The emulation's Winsock knows the standard protocols when the TCP/IP
  // directory has no protocol file; Wine's reads that file only, which a
  // Windows installation always has.
  const fs::path etc = windows / "system32" / "drivers" / "etc";
  bool hasProtocols = !fs::is_directory(etc) || fs::is_symlink(etc);
  if (!hasProtocols) {
    for (const auto& entry : fs::directory_iterator(etc)) {
      hasProtocols = hasProtocols || lowered(entry.path().filename().string()) == "protocol";
    }
  }
  if (!hasProtocols) {
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
  // Drive letters: the machine's drive folders, z: at the host's root.
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const fs::path link = prefix_ / "dosdevices" / (std::string(1, letter) + ":");
    const fs::path drive = machine_ / (std::string("drive_") + letter);
    fs::remove(link, failed);
    if (fs::is_directory(drive) || letter == 'z') {
      fs::create_directory_symlink(fs::is_directory(drive) ? fs::canonical(drive) : "/", link,
                                   failed);
      if (failed) error_ = "cannot map drive " + std::string(1, letter) + ": " + failed.message();
    }
  }
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
    present.emplace(lowered(entry.path().filename().string()), entry.path());
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    auto own = present.find(lowered(name));
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

void MachineLease::importRegistry() {
  std::string lastVersion;
  const std::string lastUndo = pendingUndo(prefix_, &lastVersion);
  fs::path registryFile = machine_ / "registry.reg";
  const bool hasRegistry = fs::is_regular_file(registryFile);
  const std::string bytes = hasRegistry ? readFile(registryFile) : "";
  const RegistryTree file = platform::posix::parseRegeditExport(bytes);
  std::string shown;
  const std::string version = versionName(file, shown);
  if (version.empty()) {
    error_ = "Wine has no version setting for " + shown;
    return;
  }
  if (!hasRegistry && lastUndo.empty() && version == lastVersion) return;

  const std::string undone =
      hasRegistry
          ? undo(file, platform::posix::parseRegeditExport(readFile(prefix_ / BaseRegistry)))
          : std::string();
  // Windows' regedit reads hex(2) and hex(7) data as UTF-16 in a version
  // 5.00 file and as 8-bit text in a REGEDIT4 one, as the emulation does;
  // Wine's decides by the file's encoding instead. A copy in the encoding
  // that goes with the version makes Wine read the data as Windows would.
  const std::string text = regFileText(bytes);
  const bool version5 = text.rfind("Windows Registry Editor Version 5.00\n", 0) == 0;
  if (hasRegistry && version5 != (bytes.compare(0, 2, "\xFF\xFE") == 0)) {
    registryFile = prefix_ / MachineCopy;
    writeFile(registryFile, version5 ? utf16File(text) : text);
  }
  writeFile(prefix_ / ImportFile,
            utf16File(Version5 + lastUndo + "[HKEY_CURRENT_USER\\Software\\Wine]\n\"Version\"=\"" +
                      version + "\"\n\n"));
  // Until the import has succeeded, both imports may need undoing.
  writeFile(prefix_ / StateFile, version + "\n" + lastUndo + undone);
  std::vector<std::string> arguments{"regedit", "/S", windowsPath(prefix_ / ImportFile)};
  if (hasRegistry) arguments.push_back(windowsPath(registryFile));
  if (!wineCommand(prefix_, arguments)) {
    error_ = "regedit failed; see " + (prefix_ / WineLog).string();
    return;
  }
  writeFile(prefix_ / StateFile, version + "\n" + undone);
}

int run(const fs::path& prefix, const fs::path& program, const std::vector<std::string>& arguments,
        const Environment& environment, const fs::path& workingDirectory, const fs::path& outFile,
        const fs::path& errFile, int timeoutSeconds) {
  // Called by its name, as at a console prompt: Wine finds it in the Windows
  // directory, where the lease put it.
  std::vector<std::string> argv{wineProgram(), program.stem().string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(argv[0], argv, hostEnvironment(prefix, environment), workingDirectory, outFile,
                    errFile, timeoutSeconds);
}

}  // namespace e2e::wine
