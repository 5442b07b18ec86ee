// zorivt-report end to end: the logs of real runs on the demo machine and on
// a broken copy of it, a log cut short, files that are no log, the JSON
// output checked against the schema printed in docs/messages.md, --explain,
// and every example command that the README and the manual pages show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "harness.h"
#include "process.h"

namespace fs = std::filesystem;

namespace {

const fs::path SourceDir = ZORIVT_SOURCE_DIR;

struct Output {
  int status = -1;
  std::string out;
  std::string err;
};

#define SKIP_WITHOUT_REPORT()                                                          \
  do {                                                                                 \
    if (std::string(ZORIVT_REPORT_BINARY).empty() || e2e::windowsBuild())              \
      GTEST_SKIP() << "zorivt-report runs natively: the host build's tests cover it"; \
  } while (0)

/// Runs zorivt-report with `arguments` in `directory`, with no environment
/// but the sanitizer settings: it reads host paths as given.
Output report(const std::vector<std::string>& arguments, const fs::path& directory) {
  std::vector<std::string> environment;
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
  }
  std::vector<std::string> argv{"zorivt-report"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  Output result;
  result.status = e2e::runProcess(ZORIVT_REPORT_BINARY, argv, environment, directory,
                                  directory / "report.out", directory / "report.err", 60);
  result.out = e2e::readFile(directory / "report.out");
  result.err = e2e::readFile(directory / "report.err");
  return result;
}

/// A copy of the demo machine, with its administrator's environment as
/// examples/run-demo sets it, run from the product directory.
std::unique_ptr<e2e::TestMachine> demoMachine() {
  auto machine = std::make_unique<e2e::TestMachine>();
  fs::copy(SourceDir / "examples" / "demo-machine", machine->root(),
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  machine->env("PATH", "C:\\Corvanta\\bin;C:\\WINNT\\system32;C:\\WINNT;C:\\ODI\\OSTORE\\bin")
      .env("TMP", "C:\\TEMP")
      .env("OS_ROOTDIR", "C:\\ODI\\OSTORE")
      .env("OS_NETWORK", "o4netsm,o4nettcp")
      .env("OS_RELOPT_THRESH", "0")
      .env("OS_AS_SIZE", "33554432")
      .env("HELP", "C:\\Corvanta\\help")
      .workingDirectory("drive_c/Corvanta");
  return machine;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A small JSON reader and a validator for the part of JSON Schema that the
// documented schema uses: type, enum, properties, required,
// additionalProperties, items, minimum, maximum and local $ref.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool boolean = false;
  double number = 0;
  bool integral = false;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}
  bool read(Json& value) {
    if (!parse(value)) return false;
    blanks();
    return at_ == text_.size();
  }

 private:
  void blanks() {
    while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) ++at_;
  }
  bool literal(const char* word) {
    const std::string w = word;
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  bool string(std::string& out) {
    if (text_[at_] != '"') return false;
    for (++at_; at_ < text_.size(); ++at_) {
      const unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') return ++at_, true;
      if (c < 0x20 || c >= 0x80) return false;  // raw control or non-ASCII byte
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (++at_ == text_.size()) return false;
      const char e = text_[at_];
      if (e == 'u') {
        if (at_ + 4 >= text_.size()) return false;
        const std::string hex = text_.substr(at_ + 1, 4);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        out += static_cast<char>(std::stoi(hex, nullptr, 16));
        at_ += 4;
      } else if (std::string("\"\\/bfnrt").find(e) != std::string::npos) {
        out += e;
      } else {
        return false;
      }
    }
    return false;
  }
  bool parse(Json& value) {
    blanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') {
      value.kind = Json::Object;
      ++at_;
      blanks();
      if (text_[at_] == '}') return ++at_, true;
      for (;;) {
        std::string name;
        blanks();
        if (!string(name)) return false;
        blanks();
        if (text_[at_++] != ':' || !parse(value.members[name])) return false;
        blanks();
        if (text_[at_] == '}') return ++at_, true;
        if (text_[at_++] != ',') return false;
      }
    }
    if (c == '[') {
      value.kind = Json::Array;
      ++at_;
      blanks();
      if (text_[at_] == ']') return ++at_, true;
      for (;;) {
        value.items.emplace_back();
        if (!parse(value.items.back())) return false;
        blanks();
        if (text_[at_] == ']') return ++at_, true;
        if (text_[at_++] != ',') return false;
      }
    }
    if (c == '"') return value.kind = Json::String, string(value.text);
    if (literal("null")) return value.kind = Json::Null, true;
    if (literal("true")) return value.kind = Json::Bool, value.boolean = true, true;
    if (literal("false")) return value.kind = Json::Bool, true;
    static const std::regex number(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][-+]?[0-9]+)?)");
    std::smatch match;
    const std::string rest = text_.substr(at_, 40);
    if (!std::regex_search(rest, match, number, std::regex_constants::match_continuous)) return false;
    value.kind = Json::Number;
    value.number = std::stod(match.str());
    value.integral = !match[2].matched && !match[3].matched;
    at_ += match.length();
    return true;
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

bool sameJson(const Json& a, const Json& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case Json::Null: return true;
    case Json::Bool: return a.boolean == b.boolean;
    case Json::Number: return a.number == b.number;
    case Json::String: return a.text == b.text;
    default: return false;  // the schema enumerates scalars only
  }
}

bool hasType(const Json& value, const std::string& type) {
  if (type == "integer") return value.kind == Json::Number && value.integral;
  static const std::map<std::string, Json::Kind> kinds = {
      {"null", Json::Null},     {"boolean", Json::Bool}, {"number", Json::Number},
      {"string", Json::String}, {"array", Json::Array},  {"object", Json::Object}};
  return kinds.count(type) && kinds.at(type) == value.kind;
}

/// The reasons `value` breaks `schema`, each prefixed with the value's path.
void validate(const Json& value, const Json& schema, const Json& root, const std::string& path,
              std::vector<std::string>& faults) {
  const auto& rules = schema.members;
  if (rules.count("$ref")) {
    const std::string ref = rules.at("$ref").text;  // "#/$defs/name"
    const std::string name = ref.substr(ref.rfind('/') + 1);
    validate(value, root.members.at("$defs").members.at(name), root, path, faults);
  }
  if (rules.count("type")) {
    const Json& type = rules.at("type");
    bool matches = false;
    if (type.kind == Json::String) matches = hasType(value, type.text);
    for (const Json& t : type.items) matches = matches || hasType(value, t.text);
    if (!matches) faults.push_back(path + ": wrong type");
  }
  if (rules.count("enum")) {
    bool listed = false;
    for (const Json& allowed : rules.at("enum").items) listed = listed || sameJson(value, allowed);
    if (!listed) faults.push_back(path + ": not one of the enumerated values");
  }
  if (rules.count("minimum") && value.kind == Json::Number && value.number < rules.at("minimum").number)
    faults.push_back(path + ": below the minimum");
  if (rules.count("maximum") && value.kind == Json::Number && value.number > rules.at("maximum").number)
    faults.push_back(path + ": above the maximum");
  if (value.kind == Json::Object) {
    if (rules.count("required")) {
      for (const Json& name : rules.at("required").items) {
        if (!value.members.count(name.text)) faults.push_back(path + ": no member " + name.text);
      }
    }
    const Json* properties = rules.count("properties") ? &rules.at("properties") : nullptr;
    for (const auto& [name, member] : value.members) {
      if (properties && properties->members.count(name)) {
        validate(member, properties->members.at(name), root, path + "." + name, faults);
      } else if (rules.count("additionalProperties") && !rules.at("additionalProperties").boolean) {
        faults.push_back(path + ": member " + name + " is not in the schema");
      }
    }
  }
  if (value.kind == Json::Array && rules.count("items")) {
    for (std::size_t i = 0; i < value.items.size(); ++i) {
      validate(value.items[i], rules.at("items"), root, path + "[" + std::to_string(i) + "]", faults);
    }
  }
}

/// The schema printed in the reference: the ```json block after the heading
/// "### The JSON schema".
Json documentedSchema() {
  const std::string reference = e2e::readFile(SourceDir / "docs" / "messages.md");
  const std::size_t heading = reference.find("### The JSON schema");
  const std::size_t start = reference.find("```json\n", heading);
  const std::size_t end = reference.find("\n```", start + 8);
  Json schema;
  EXPECT_NE(heading, std::string::npos);
  if (heading == std::string::npos || start == std::string::npos || end == std::string::npos) return schema;
  EXPECT_TRUE(JsonReader(reference.substr(start + 8, end - start - 8)).read(schema))
      << "the schema in docs/messages.md is no JSON";
  return schema;
}

/// Logs of the demo machine and of a copy whose ZOR_FILES directory is
/// missing, copied out of their machines into `folder`.
void demoLogs(const fs::path& folder) {
  auto demo = demoMachine();
  ASSERT_EQ(demo->run({}).exitStatus, 0);
  fs::copy_file(demo->host("drive_c/Corvanta/zorivt.log"), folder / "demo.log");
  auto broken = demoMachine();
  fs::remove_all(broken->host("drive_c/Corvanta/files"));
  ASSERT_EQ(broken->run({}).exitStatus, 0);  // the checker's status ignores findings
  fs::copy_file(broken->host("drive_c/Corvanta/zorivt.log"), folder / "broken.log");
}

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("zorivt-report-e2e-" + std::to_string(std::rand()) + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(folder_);
  }
  fs::path folder_;
};

TEST_F(Report, SummarizesTheDemoAndABrokenCopyWithTheWorstFindingAsStatus) {
  SKIP_WITHOUT_REPORT();
  ASSERT_NO_FATAL_FAILURE(demoLogs(folder_));

  const Output demo = report({"demo.log"}, folder_);
  EXPECT_EQ(demo.status, 1) << demo.out << demo.err;
  EXPECT_TRUE(contains(demo.out, "Run: check, checker V2R3.4.2, started ")) << demo.out;
  EXPECT_TRUE(contains(demo.out, "Messages: 0 errors, ")) << demo.out;
  EXPECT_TRUE(contains(demo.out, "\nSetup checks\n  line 7, attention: CHK0074A: Variable "
                                 "ZOR_TRACEFILE is not known. Correct it to ZOR_TRACE_FILE.\n"
                                 "    What to do: correct the name in the profile.")) << demo.out;
  EXPECT_TRUE(contains(demo.out, "\nVerdict: attention: ")) << demo.out;

  const Output broken = report({"broken.log"}, folder_);
  EXPECT_EQ(broken.status, 2) << broken.out << broken.err;
  EXPECT_TRUE(std::regex_search(broken.out,
      std::regex("\nGeneral checks\n(.*\n)*  line [0-9]+, error: CHK0009A: The ZOR_FILES directory "
                 "C:\\\\Corvanta\\\\files does not exist\\.\n    What to do: correct the variable ")))
      << broken.out;
  EXPECT_TRUE(contains(broken.out, "\nVerdict: error: ")) << broken.out;
  EXPECT_EQ(e2e::readFile(folder_ / "broken.log"), e2e::readFile(folder_ / "broken.log"));

  // Several logs: one line each and the totals; the worst status wins.
  e2e::writeFile(folder_ / "other.txt", "just some text\n");
  const Output several = report({"demo.log", "broken.log", "other.txt", "missing.log"}, folder_);
  EXPECT_EQ(several.status, 3);
  const std::vector<std::string> lines = e2e::splitLines(several.out);
  ASSERT_EQ(lines.size(), 5u) << several.out;
  EXPECT_EQ(lines[0].rfind("demo.log: attention (0 errors, ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("broken.log: error (", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "other.txt: not-a-log");
  EXPECT_EQ(lines[3], "missing.log: unreadable");
  EXPECT_EQ(lines[4].rfind("Totals: 4 logs: 0 sound, 1 attention, 1 error, 2 unreadable or "
                           "incomplete; ", 0), 0u) << lines[4];
}

TEST_F(Report, ALogCutShortOrAFileThatIsNoLogGivesStatusThree) {
  SKIP_WITHOUT_REPORT();
  ASSERT_NO_FATAL_FAILURE(demoLogs(folder_));
  const std::string whole = e2e::readFile(folder_ / "broken.log");
  // Cut in the middle of a line, as a killed run leaves its log.
  e2e::writeFile(folder_ / "cut.log", whole.substr(0, whole.size() / 2));
  const Output cut = report({"cut.log"}, folder_);
  EXPECT_EQ(cut.status, 3);
  EXPECT_TRUE(contains(cut.out, "Messages: ")) << cut.out;  // what was read is still told
  EXPECT_TRUE(contains(cut.out, "\nVerdict: incomplete: the log has no closing line CHK0999I"))
      << cut.out;

  e2e::writeFile(folder_ / "binary.log", std::string("\x7f" "ELF\x01\x00\xff\n", 8));
  const Output binary = report({"binary.log"}, folder_);
  EXPECT_EQ(binary.status, 3);
  EXPECT_EQ(binary.out, "Log: binary.log\nVerdict: not-a-log: the file does not start with the "
                        "checker's line CHK0000I.\n");

  const Output folder = report({"."}, folder_);
  EXPECT_EQ(folder.status, 3);
  EXPECT_TRUE(contains(folder.out, "Verdict: unreadable")) << folder.out;
  const Output none = report({}, folder_);
  EXPECT_EQ(none.status, 3);
  EXPECT_TRUE(contains(none.err, "Usage: zorivt-report")) << none.err;
}

TEST_F(Report, JsonFollowsTheDocumentedSchema) {
  SKIP_WITHOUT_REPORT();
  ASSERT_NO_FATAL_FAILURE(demoLogs(folder_));
  const Json schema = documentedSchema();
  ASSERT_EQ(schema.kind, Json::Object);
  // A log line with a control character and an 8-bit character still
  // makes valid JSON.
  std::string odd = e2e::readFile(folder_ / "broken.log");
  odd.insert(odd.find("CHK0999I"), "CHK0009A: The TMP directory c:\\t\x01mp\xe9 does not exist.\n");
  e2e::writeFile(folder_ / "odd.log", odd);
  e2e::writeFile(folder_ / "cut.log", odd.substr(0, 300));

  for (const std::vector<std::string>& logs :
       std::vector<std::vector<std::string>>{{"demo.log"}, {"broken.log", "odd.log", "cut.log", "x"}}) {
    std::vector<std::string> arguments{"--json"};
    arguments.insert(arguments.end(), logs.begin(), logs.end());
    const Output output = report(arguments, folder_);
    Json document;
    ASSERT_TRUE(JsonReader(output.out).read(document)) << "not JSON:\n" << output.out;
    std::vector<std::string> faults;
    validate(document, schema, schema, "$", faults);
    for (const std::string& fault : faults) ADD_FAILURE() << fault << "\n" << output.out;
    ASSERT_EQ(document.members["logs"].items.size(), logs.size());
    EXPECT_EQ(document.members["totals"].members["exit_status"].number, output.status);
  }

  const Output output = report({"--json", "odd.log"}, folder_);
  Json document;
  ASSERT_TRUE(JsonReader(output.out).read(document));
  const Json& log = document.members["logs"].items.at(0);
  EXPECT_EQ(output.status, 2);
  EXPECT_EQ(log.members.at("kind").text, "check");
  bool found = false;
  for (const Json& section : log.members.at("sections").items) {
    for (const Json& finding : section.members.at("findings").items) {
      if (finding.members.at("text").text != "CHK0009A: The TMP directory c:\\t\x01mp\xe9 does not exist.")
        continue;
      found = true;
      EXPECT_EQ(finding.members.at("class").text, "error");
      EXPECT_EQ(finding.members.at("what_to_do").text.rfind("correct the variable", 0), 0u);
    }
  }
  EXPECT_TRUE(found) << output.out;
  // The text summary shows the control character escaped.
  EXPECT_TRUE(contains(report({"odd.log"}, folder_).out, "c:\\t\\x01mp\xe9 does not exist."));
}

TEST_F(Report, ExplainPrintsTheReferenceEntry) {
  SKIP_WITHOUT_REPORT();
  const Output explained = report({"--explain", "chk0009a"}, folder_);
  EXPECT_EQ(explained.status, 0);
  const std::vector<std::string> lines = e2e::splitLines(explained.out);
  ASSERT_GT(lines.size(), 5u) << explained.out;
  EXPECT_EQ(lines[0], "CHK0009A");
  EXPECT_EQ(lines[2], "CHK0009A: The kind directory path does not exist.");
  EXPECT_EQ(lines[4], "- Class: error (id 26620): on the console at every level except -u; "
                      "always in the log.");
  EXPECT_TRUE(contains(explained.out, "\n- What to do: correct the variable")) << explained.out;

  const Output unknown = report({"--explain", "CHK9999X"}, folder_);
  EXPECT_EQ(unknown.status, 3);
  EXPECT_EQ(unknown.err, "zorivt-report: CHK9999X is not a message code of zorivt\n");
}

/// Words of a documented command line: blanks separate, double quotes group.
std::vector<std::string> words(const std::string& command) {
  std::vector<std::string> result;
  std::string word;
  bool quoted = false, any = false;
  for (const char c : command) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) result.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) result.push_back(word);
  return result;
}

/// The example commands of a manual page: the lines after a prompt
/// "C:\Corvanta> " or "$ " in its example blocks, roff escapes undone.
std::vector<std::string> manualExamples(const std::string& page) {
  std::vector<std::string> commands;
  for (std::string line : e2e::splitLines(e2e::readFile(SourceDir / "docs" / page))) {
    line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    line = std::regex_replace(line, std::regex(R"(\\e)"), "\\");
    if (line.rfind("C:\\Corvanta> ", 0) == 0 || line.rfind("$ ", 0) == 0) commands.push_back(line);
  }
  return commands;
}

TEST_F(Report, EveryExampleOfTheReadmeAndTheManualPagesRunsOnTheDemoMachine) {
  SKIP_WITHOUT_REPORT();
  const fs::path checkerDir = fs::path(ZORIVT_BINARY).parent_path();
  const fs::path reportDir = fs::path(ZORIVT_REPORT_BINARY).parent_path();
  const std::string path = checkerDir.string() + ":" + reportDir.string() + ":/usr/bin:/bin";
  std::vector<std::string> shellEnvironment{"PATH=" + path, "TMPDIR=" + folder_.string(),
                                            "ZORIVT_BINARY=" + std::string(ZORIVT_BINARY),
                                            "ZORIVT_REPORT_BINARY=" + std::string(ZORIVT_REPORT_BINARY)};
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) shellEnvironment.push_back(std::string(name) + "=" + value);
  }
  int ran = 0;

  // The README's demo runs, as written, through the shell.
  const std::string readme = e2e::readFile(SourceDir / "README.md");
  std::set<std::string> demoRuns;
  const std::regex demoRun(R"(examples/run-demo( [^`\n]*)?)");
  for (std::sregex_iterator it(readme.begin(), readme.end(), demoRun), end; it != end; ++it) {
    demoRuns.insert(it->str());
  }
  ASSERT_GE(demoRuns.size(), 5u);
  for (const std::string& command : demoRuns) {
    const int status = e2e::runProcess("/bin/bash", {"bash", "-c", command}, shellEnvironment,
                                       SourceDir, folder_ / "out", folder_ / "err", 120);
    const std::string out = e2e::readFile(folder_ / "out");
    EXPECT_EQ(status, 0) << command << "\n" << out << e2e::readFile(folder_ / "err");
    EXPECT_TRUE(contains(out, "run-demo: zorivt-report zorivt.log:\nLog: ")) << command << "\n" << out;
    // Only --keep leaves the copy behind.
    const bool kept = contains(command, "--keep");
    std::size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      if (entry.path().filename().string().rfind("zorivt-demo.", 0) != 0) continue;
      ++copies;
      fs::remove_all(entry.path());
    }
    EXPECT_EQ(copies, kept ? 1u : 0u) << command;
    ++ran;
  }

  // The README's zorivt-report commands, in the product directory of a
  // demo machine after a run.
  std::vector<std::string> lines;
  for (const std::string& line : e2e::splitLines(readme)) {
    if (line.rfind("    zorivt-report ", 0) == 0) {
      lines.push_back("$ " + line.substr(4, line.find("  ", 4) - 4));
    }
  }
  ASSERT_GE(lines.size(), 4u);

  // The manual pages' commands, on a copy of the demo machine.
  for (const char* page : {"zorivt.1", "zorivt-report.1"}) {
    const std::vector<std::string> examples = manualExamples(page);
    lines.insert(lines.end(), examples.begin(), examples.end());
  }
  {
    for (const std::string& line : lines) {
      auto machine = demoMachine();
      ASSERT_EQ(machine->run({}).exitStatus, 0);  // a log for zorivt-report to read
      const fs::path cwd = machine->host("drive_c/Corvanta");
      fs::create_directories(cwd / "logs");
      fs::copy_file(cwd / "zorivt.log", cwd / "logs" / "a.log");
      if (line.rfind("$ ", 0) == 0) {
        // A Linux shell command, run where the machine directory, a log and
        // a folder of logs are at hand.
        fs::create_directory_symlink(machine->root(), folder_ / "machine");
        fs::create_directory_symlink(cwd / "logs", folder_ / "logs");
        fs::copy_file(cwd / "zorivt.log", folder_ / "zorivt.log");
        const int status = e2e::runProcess("/bin/bash", {"bash", "-c", line.substr(2)},
                                           shellEnvironment, folder_, folder_ / "out",
                                           folder_ / "err", 120);
        for (const char* name : {"machine", "logs", "zorivt.log"}) fs::remove(folder_ / name);
        EXPECT_GE(status, 0) << line;
        EXPECT_LE(status, 2) << line << "\n" << e2e::readFile(folder_ / "out")
                             << e2e::readFile(folder_ / "err");
        ++ran;
        continue;
      }
      const std::vector<std::string> command = words(line.substr(std::string("C:\\Corvanta> ").size()));
      if (command[0] == "type") {
        EXPECT_TRUE(fs::exists(cwd / command[1])) << line;
      } else if (command[0] == "zorivt") {
        const e2e::RunResult run =
            machine->run(std::vector<std::string>(command.begin() + 1, command.end()));
        EXPECT_EQ(run.exitStatus, 0) << line;
        ASSERT_FALSE(run.log.empty()) << line;
        EXPECT_EQ(run.log.back(), "CHK0999I: Configuration-checking utility ended.") << line;
      } else {
        ASSERT_EQ(command[0], "zorivt-report") << line;
        const Output output = report(std::vector<std::string>(command.begin() + 1, command.end()), cwd);
        EXPECT_GE(output.status, 0) << line;
        EXPECT_LE(output.status, 2) << line << "\n" << output.out << output.err;
      }
      ++ran;
    }
  }
  EXPECT_GE(ran, 15);
}

}  // namespace
