// zorivt-report end to end: the logs of real runs on the demo machine and on
// a broken copy of it, a log cut short, files that are no log, the JSON
// output checked against the schema printed in docs/messages.md, --explain,
// and every example command that the README and the manual pages show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "harness.h"
#include "process.h"

namespace fs = std::filesystem;

namespace {

const fs::path SourceDir = ZORIVT_SOURCE_DIR;

#define SKIP_WITHOUT_REPORT()                                                         \
  do {                                                                                \
    if (std::string(ZORIVT_REPORT_BINARY).empty() || e2e::windowsBuild())             \
      GTEST_SKIP() << "zorivt-report runs natively: the host build's tests cover it"; \
  } while (0)

/// The environment of programs the tests start besides the checker: the
/// given settings and the sanitizer settings of the test run.
std::vector<std::string> environment(std::vector<std::string> settings) {
  for (std::string& setting : e2e::sanitizerSettings()) settings.push_back(std::move(setting));
  return settings;
}

struct Output {
  int status = -1;
  std::string out, err;
};

/// Runs zorivt-report in `directory`; it reads host paths as given.
Output report(const std::vector<std::string>& arguments, const fs::path& directory) {
  std::vector<std::string> argv{"zorivt-report"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  Output result;
  result.status = e2e::runProcess(ZORIVT_REPORT_BINARY, argv, environment({}), directory,
                                  directory / "report.out", directory / "report.err", 60);
  result.out = e2e::readFile(directory / "report.out");
  result.err = e2e::readFile(directory / "report.err");
  return result;
}

/// A copy of the demo machine with its administrator's environment, as
/// examples/run-demo sets it, run from the product directory.
std::unique_ptr<e2e::TestMachine> demoMachine() {
  auto machine = std::make_unique<e2e::TestMachine>();
  e2e::copyDemoMachine(*machine);
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

// A JSON reader, and a validator for the part of JSON Schema that the
// documented schema uses: type, enum, properties, required,
// additionalProperties, items, minimum, maximum and local $ref.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  double number = 0;
  bool integral = false;
  std::string text;  // a string's value; "true" or "false" for a boolean
  std::vector<Json> items;
  std::map<std::string, Json> members;
};

/// Parses the JSON value at `at`; false on anything that is not JSON, raw
/// control (DEL too) and non-ASCII bytes in strings included.
bool parse(const std::string& s, std::size_t& at, Json& value) {
  auto blanks = [&] {
    at = s.find_first_not_of(" \t\r\n", at) == std::string::npos
             ? s.size()
             : s.find_first_not_of(" \t\r\n", at);
  };
  auto string = [&](std::string& out) {
    if (s[at] != '"') return false;
    for (++at; at < s.size(); ++at) {
      const unsigned char c = static_cast<unsigned char>(s[at]);
      if (c == '"') return ++at, true;
      if (c < 0x20 || c >= 0x7f) return false;
      if (c != '\\') {
        out += static_cast<char>(c);
      } else if (s.compare(at + 1, 1, "u") == 0 && at + 5 < s.size()) {
        out += static_cast<char>(std::stoi(s.substr(at + 2, 4), nullptr, 16));
        at += 5;
      } else if (at + 1 < s.size() &&
                 std::string("\"\\/bfnrt").find(s[at + 1]) != std::string::npos) {
        out += s[++at];
      } else {
        return false;
      }
    }
    return false;
  };
  blanks();
  if (at >= s.size()) return false;
  const char open = s[at];
  if (open == '{' || open == '[') {
    value.kind = open == '{' ? Json::Object : Json::Array;
    ++at;
    blanks();
    if (at < s.size() && s[at] == (open == '{' ? '}' : ']')) return ++at, true;
    for (;;) {
      Json* element = nullptr;
      if (open == '{') {
        std::string name;
        blanks();
        if (!string(name)) return false;
        blanks();
        if (at >= s.size() || s[at++] != ':') return false;
        element = &value.members[name];
      } else {
        element = &value.items.emplace_back();
      }
      if (!parse(s, at, *element)) return false;
      blanks();
      if (at < s.size() && s[at] == (open == '{' ? '}' : ']')) return ++at, true;
      if (at >= s.size() || s[at++] != ',') return false;
    }
  }
  if (open == '"') return value.kind = Json::String, string(value.text);
  for (const char* word : {"null", "true", "false"}) {
    if (s.compare(at, std::strlen(word), word) != 0) continue;
    at += std::strlen(word);
    value.kind = *word == 'n' ? Json::Null : Json::Bool;
    value.text = *word == 'n' ? "" : word;
    return true;
  }
  static const std::regex number(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][-+]?[0-9]+)?)");
  std::smatch match;
  const std::string rest = s.substr(at, 40);
  if (!std::regex_search(rest, match, number, std::regex_constants::match_continuous)) return false;
  value.kind = Json::Number;
  value.number = std::stod(match.str());
  value.integral = !match[2].matched && !match[3].matched;
  at += match.length();
  return true;
}

bool readJson(const std::string& text, Json& value) {
  std::size_t at = 0;
  return parse(text, at, value) && text.find_first_not_of(" \t\r\n", at) == std::string::npos;
}

bool hasType(const Json& value, const std::string& type) {
  static const std::map<std::string, Json::Kind> kinds = {
      {"null", Json::Null},      {"boolean", Json::Bool},  {"number", Json::Number},
      {"integer", Json::Number}, {"string", Json::String}, {"array", Json::Array},
      {"object", Json::Object}};
  return kinds.count(type) && kinds.at(type) == value.kind && (type != "integer" || value.integral);
}

/// The ways `value` breaks `schema`, each after the value's path.
void validate(const Json& value, const Json& schema, const Json& root, const std::string& path,
              std::vector<std::string>& faults) {
  const auto& rule = schema.members;
  auto has = [&](const char* name) { return rule.count(name) != 0; };
  if (has("$ref")) {
    const std::string ref = rule.at("$ref").text;  // "#/$defs/name"
    validate(value, root.members.at("$defs").members.at(ref.substr(ref.rfind('/') + 1)), root, path,
             faults);
  }
  if (has("type")) {
    const Json& type = rule.at("type");
    bool matches = type.kind == Json::String && hasType(value, type.text);
    for (const Json& t : type.items) matches = matches || hasType(value, t.text);
    if (!matches) faults.push_back(path + ": wrong type");
  }
  if (has("enum")) {
    bool listed = false;
    for (const Json& a : rule.at("enum").items) {
      listed = listed || (a.kind == value.kind && a.text == value.text && a.number == value.number);
    }
    if (!listed) faults.push_back(path + ": not an enumerated value");
  }
  if ((has("minimum") && value.number < rule.at("minimum").number) ||
      (has("maximum") && value.number > rule.at("maximum").number)) {
    faults.push_back(path + ": out of range");
  }
  if (has("required")) {
    for (const Json& name : rule.at("required").items) {
      if (!value.members.count(name.text)) faults.push_back(path + ": no member " + name.text);
    }
  }
  for (const auto& [name, member] : value.members) {
    if (has("properties") && rule.at("properties").members.count(name)) {
      validate(member, rule.at("properties").members.at(name), root, path + "." + name, faults);
    } else if (has("additionalProperties") && rule.at("additionalProperties").text == "false") {
      faults.push_back(path + ": member " + name + " is not in the schema");
    }
  }
  for (std::size_t i = 0; has("items") && i < value.items.size(); ++i) {
    validate(value.items[i], rule.at("items"), root, path + "[" + std::to_string(i) + "]", faults);
  }
}

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("zorivt-report-e2e-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(folder_);
  }
  /// Logs of the demo machine and of a copy whose ZOR_FILES directory is
  /// missing, as demo.log and broken.log.
  void demoLogs() {
    auto demo = demoMachine();
    ASSERT_EQ(demo->run({}).exitStatus, 0);
    fs::copy_file(demo->host("drive_c/Corvanta/zorivt.log"), folder_ / "demo.log");
    auto broken = demoMachine();
    fs::remove_all(broken->host("drive_c/Corvanta/files"));
    ASSERT_EQ(broken->run({}).exitStatus, 0);  // the checker's status ignores findings
    fs::copy_file(broken->host("drive_c/Corvanta/zorivt.log"), folder_ / "broken.log");
  }
  fs::path folder_;
};

TEST_F(Report, StatusFollowsTheWorstFindingOfTheDemoABrokenCopyALogCutShortAndNoLog) {
  SKIP_WITHOUT_REPORT();
  ASSERT_NO_FATAL_FAILURE(demoLogs());
  const Output demo = report({"demo.log"}, folder_);
  EXPECT_EQ(demo.status, 1) << demo.out << demo.err;
  EXPECT_TRUE(contains(demo.out, "Run: check, checker " ZORIVT_LEVEL ", started ")) << demo.out;
  EXPECT_TRUE(contains(demo.out, "\nMessages: 0 errors, ")) << demo.out;
  EXPECT_TRUE(contains(demo.out,
                       "\nSetup checks\n  line 7, attention: CHK0074A: Variable ZOR_TRACEFILE is "
                       "not known. Correct it to ZOR_TRACE_FILE.\n    What to do: correct the "
                       "name in the profile."))
      << demo.out;
  EXPECT_TRUE(contains(demo.out, "\nVerdict: attention: ")) << demo.out;

  const std::string brokenLog = e2e::readFile(folder_ / "broken.log");
  const Output broken = report({"broken.log"}, folder_);
  EXPECT_EQ(broken.status, 2) << broken.out << broken.err;
  EXPECT_TRUE(std::regex_search(
      broken.out,
      std::regex(
          "\nGeneral checks\n(.*\n)*  line [0-9]+, error: CHK0009A: The ZOR_FILES directory "
          "C:\\\\Corvanta\\\\files does not exist\\.\n    What to do: correct the variable ")))
      << broken.out;
  EXPECT_TRUE(contains(broken.out, "\nVerdict: error: ")) << broken.out;
  EXPECT_EQ(e2e::readFile(folder_ / "broken.log"), brokenLog) << "the log was changed";

  // Cut in the middle of a line, as a killed run leaves its log: what was
  // read is still told.
  e2e::writeFile(folder_ / "cut.log", brokenLog.substr(0, brokenLog.size() / 2));
  const Output cut = report({"cut.log"}, folder_);
  EXPECT_EQ(cut.status, 3);
  EXPECT_TRUE(contains(cut.out, "\nMessages: ")) << cut.out;
  EXPECT_TRUE(contains(cut.out, "\nVerdict: incomplete: the log has no closing line CHK0999I"))
      << cut.out;
  e2e::writeFile(folder_ / "binary.log", std::string("\x7f"
                                                     "ELF\x01\x00\xff\n",
                                                     8));
  EXPECT_EQ(report({"binary.log"}, folder_).out,
            "Log: binary.log\nVerdict: not-a-log: the file does not start with the checker's line "
            "CHK0000I.\n");

  // Several logs: one line each and the totals; the worst status wins.
  const Output several =
      report({"demo.log", "broken.log", "binary.log", ".", "missing.log"}, folder_);
  EXPECT_EQ(several.status, 3);
  const std::vector<std::string> lines = e2e::splitLines(several.out);
  ASSERT_EQ(lines.size(), 6u) << several.out;
  EXPECT_EQ(lines[0].rfind("demo.log: attention (0 errors, ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("broken.log: error (1 error, ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "binary.log: not-a-log");
  EXPECT_EQ(lines[3], ".: unreadable");
  EXPECT_EQ(lines[4], "missing.log: unreadable");
  EXPECT_EQ(
      lines[5].rfind("Totals: 5 logs: 0 sound, 1 attention, 1 error, 3 unreadable or incomplete; "
                     "1 error, ",
                     0),
      0u)
      << lines[5];
  EXPECT_EQ(report({}, folder_).status, 3);
}

TEST_F(Report, JsonFollowsTheSchemaOfTheReference) {
  SKIP_WITHOUT_REPORT();
  ASSERT_NO_FATAL_FAILURE(demoLogs());
  const std::string reference = e2e::readFile(SourceDir / "docs" / "messages.md");
  const std::size_t start = reference.find("```json\n", reference.find("### The JSON schema"));
  Json schema;
  ASSERT_NE(start, std::string::npos);
  ASSERT_TRUE(readJson(reference.substr(start + 8, reference.find("\n```", start + 8) - start - 8),
                       schema));
  // A line with control characters and an 8-bit character still makes
  // valid JSON.
  std::string odd = e2e::readFile(folder_ / "broken.log");
  const std::string oddLine = "CHK0009A: The TMP directory c:\\t\x01mp\x7f\xe9 does not exist.";
  odd.insert(odd.find("CHK0999I"), oddLine + "\n");
  e2e::writeFile(folder_ / "odd.log", odd);
  e2e::writeFile(folder_ / "cut.log", odd.substr(0, 300));

  for (const std::vector<std::string>& logs :
       {std::vector<std::string>{"demo.log"}, {"odd.log", "cut.log", "missing.log"}}) {
    std::vector<std::string> arguments{"--json"};
    arguments.insert(arguments.end(), logs.begin(), logs.end());
    const Output output = report(arguments, folder_);
    Json document;
    ASSERT_TRUE(readJson(output.out, document)) << "not JSON:\n" << output.out;
    std::vector<std::string> faults;
    validate(document, schema, schema, "$", faults);
    for (const std::string& fault : faults) ADD_FAILURE() << fault << "\n" << output.out;
    ASSERT_EQ(document.members["logs"].items.size(), logs.size());
    EXPECT_EQ(document.members["totals"].members["exit_status"].number, output.status);
    if (logs.size() == 1) continue;
    const Json& sections = document.members["logs"].items[0].members["sections"];
    bool found = false;
    for (const Json& section : sections.items) {
      for (const Json& finding : section.members.at("findings").items) {
        if (finding.members.at("text").text != oddLine) continue;
        found = true;
        EXPECT_EQ(finding.members.at("class").text, "error");
        EXPECT_EQ(finding.members.at("what_to_do").text.rfind("correct the variable", 0), 0u);
      }
    }
    EXPECT_TRUE(found) << output.out;
  }
  // The text summary shows the control character escaped.
  EXPECT_TRUE(
      contains(report({"odd.log"}, folder_).out, "c:\\t<0x01>mp<0x7f>\xe9 does not exist."));
}

TEST_F(Report, ExplainPrintsTheReferenceEntry) {
  SKIP_WITHOUT_REPORT();
  const Output explained = report({"--explain", "chk0009a"}, folder_);
  EXPECT_EQ(explained.status, 0);
  EXPECT_EQ(
      explained.out.rfind("CHK0009A\n\nCHK0009A: The kind directory path does not exist.\n\n"
                          "- Class: error (id 26620): on the console at every level except -u; "
                          "always in the log.\n",
                          0),
      0u)
      << explained.out;
  EXPECT_TRUE(contains(explained.out, "\n- What to do: correct the variable")) << explained.out;
  const Output unknown = report({"--explain", "CHK9999X"}, folder_);
  EXPECT_EQ(unknown.status, 3);
  EXPECT_EQ(unknown.err, "zorivt-report: CHK9999X is not a message code of zorivt\n");
}

// Every example command of the README and the manual pages, run on a copy of
// the demo machine. One case on purpose, over 80 lines: it reads the documents
// once and walks their examples in the order they stand, so that a failure
// names the document and the example.
TEST_F(Report, EveryExampleOfTheReadmeAndTheManualPagesRunsOnTheDemoMachine) {
  SKIP_WITHOUT_REPORT();
  const std::vector<std::string> shell =
      environment({"PATH=" + fs::path(ZORIVT_BINARY).parent_path().string() + ":" +
                       fs::path(ZORIVT_REPORT_BINARY).parent_path().string() + ":/usr/bin:/bin",
                   "TMPDIR=" + folder_.string(), std::string("ZORIVT_BINARY=") + ZORIVT_BINARY,
                   std::string("ZORIVT_REPORT_BINARY=") + ZORIVT_REPORT_BINARY});
  auto runShell = [&](const std::string& command, const fs::path& directory) {
    return e2e::runProcess("/bin/bash", {"bash", "-c", command}, shell, directory, folder_ / "out",
                           folder_ / "err", 120);
  };

  // The README's demo runs, through the shell; only --keep leaves the copy.
  const std::string readme = e2e::readFile(SourceDir / "README.md");
  std::set<std::string> demoRuns;
  const std::regex demoRun(R"(examples/run-demo( [^`\n]*)?)");
  for (std::sregex_iterator it(readme.begin(), readme.end(), demoRun), end; it != end; ++it) {
    demoRuns.insert(it->str());
  }
  ASSERT_GE(demoRuns.size(), 5u);
  for (const std::string& command : demoRuns) {
    EXPECT_EQ(runShell(command, SourceDir), 0) << command << "\n" << e2e::readFile(folder_ / "err");
    EXPECT_TRUE(
        contains(e2e::readFile(folder_ / "out"), "run-demo: zorivt-report zorivt.log:\nLog: "))
        << command;
    std::size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      if (entry.path().filename().string().rfind("zorivt-demo.", 0) != 0) continue;
      ++copies;
      fs::remove_all(entry.path());
    }
    EXPECT_EQ(copies, contains(command, "--keep") ? 1u : 0u) << command;
  }

  // The README's zorivt-report lines and the manual pages' examples, after
  // a run on a copy of the demo machine: "$ " lines through the shell beside
  // the machine directory, a log and a folder of logs; Windows prompt lines
  // in the product directory.
  std::vector<std::string> lines;
  for (const std::string& line : e2e::splitLines(readme)) {
    if (line.rfind("    zorivt-report ", 0) == 0)
      lines.push_back("$ " + line.substr(4, line.find("  ", 4) - 4));
  }
  for (const char* page : {"zorivt.1", "zorivt-report.1"}) {
    for (std::string line : e2e::splitLines(e2e::readFile(SourceDir / "docs" / page))) {
      line = std::regex_replace(std::regex_replace(line, std::regex(R"(\\-)"), "-"),
                                std::regex(R"(\\e)"), "\\");
      if (line.rfind("C:\\Corvanta> ", 0) == 0 || line.rfind("$ ", 0) == 0) lines.push_back(line);
    }
  }
  ASSERT_GE(lines.size(), 15u);
  for (const std::string& line : lines) {
    auto machine = demoMachine();
    ASSERT_EQ(machine->run({}).exitStatus, 0);
    const fs::path cwd = machine->host("drive_c/Corvanta");
    if (line[0] == '$') {
      fs::create_directory_symlink(machine->root(), folder_ / "machine");
      fs::create_directories(folder_ / "logs");
      fs::copy_file(cwd / "zorivt.log", folder_ / "logs" / "a.log");
      fs::copy_file(cwd / "zorivt.log", folder_ / "zorivt.log");
      const int status = runShell(line.substr(2), folder_);
      for (const char* name : {"machine", "logs", "zorivt.log"}) fs::remove_all(folder_ / name);
      EXPECT_TRUE(status >= 0 && status <= 2) << line << ": " << status << "\n"
                                              << e2e::readFile(folder_ / "err");
      continue;
    }
    static const std::regex word(R"re("([^"]*)"|[^ ]+)re");  // blanks separate, quotes group
    std::vector<std::string> words;
    for (std::sregex_iterator it(line.begin() + 13, line.end(), word), end; it != end; ++it) {
      words.push_back((*it)[1].matched ? (*it)[1].str() : it->str());
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (words[0] == "type") {
      EXPECT_TRUE(fs::exists(cwd / words[1])) << line;
    } else if (words[0] == "zorivt") {
      const e2e::RunResult run = machine->run(arguments);
      EXPECT_EQ(run.exitStatus, 0) << line;
      EXPECT_TRUE(!run.log.empty() &&
                  run.log.back() == "CHK0999I: Configuration-checking utility ended.")
          << line;
    } else {
      ASSERT_EQ(words[0], "zorivt-report") << line;
      const Output output = report(arguments, cwd);
      EXPECT_TRUE(output.status >= 0 && output.status <= 2) << line << "\n"
                                                            << output.out << output.err;
    }
  }
}

}  // namespace
