#include "config/profile.h"

#include <string>
#include <utility>

#include "config/path_utils.h"
#include "config/variable_names.h"
#include "config/variable_store.h"
#include "driver/message.h"
#include "platform/environment.h"
#include "platform/file.h"

namespace {

constexpr std::size_t ProfileReadBufferSize = 64 * 1024;

void reportSearchList(ReportLog& log, const Str& searchList) {
  report(log, msg::CHK_DBG, "PATH = '%2'", searchList);
}

/// Locates the profile; empty when there is none.
Str locateProfile(ReportLog& log, const Str& profileName, const Str& bareName,
                  const Str& searchList) {
  Str profile = absolutePath(profileName);
  if (!isFile(profile)) {
    if (!parentDirectory(profileName).empty()) {
      report(log, msg::CHK0008R, "Corvanta profile", profile);
    }
    profile = Str();
  }
  Tokenizer directories(searchList, ';', true);
  for (Str dir = directories.nextToken(); !dir.empty(); dir = directories.nextToken()) {
    Str candidate = absolutePath(joinPath(dir, bareName));
    if (!isFile(candidate)) continue;
    if (profile.empty()) {
      profile = candidate;
    } else if (!equalsIgnoringCase(candidate, profile)) {
      report(log, msg::CHK0075A, candidate);
      // The search list of a duplicate profile is written once a run.
      if (log.run().firstTime(RunOnce::ProfileSearchListLine)) reportSearchList(log, searchList);
    }
  }
  return profile;
}

/// A line continues on the next when it ends in a backslash that has a
/// blank before it, or that is the line's only backslash; so a value naming
/// a directory with a final backslash does not continue.
bool continuesOnNextLine(const Str& line) {
  const std::size_t n = line.length();
  if (n < 2 || line.at(n) != '\\') return false;
  return line.at(n - 1) == ' ' || line.find('\\') == n;
}

class ProfileReader {
 public:
  explicit ProfileReader(ReportLog& log) : log_(log) {}

  void read(platform::File& file) {
    // Each line is moved, trimmed and cut in place, never copied whole: a
    // line of any length costs about twice its size at most.
    std::string raw;
    while (file.readLine(raw)) {
      ++lineNumber_;
      Str line(std::move(raw));
      line.trim();
      if (line.empty() || line.at(1) == '#') {
        continued_ = false;
        completePair(true);
        continue;
      }
      const bool continues = continuesOnNextLine(line);
      if (continues) line.keepFirst(line.length() - 1);
      if (continued_) {
        pendingValue_.append(line);
      } else {
        std::size_t equals = line.find('=');
        if (equals == 0) {
          report(log_, msg::CHK0064A, lineNumber_);
          continue;
        }
        // mid() with a count of 0 takes the whole text: a line that starts
        // with "=" has an empty key.
        pendingKey_ = equals > 1 ? line.mid(1, equals - 1).trim() : Str();
        pendingValue_ = std::move(line.dropFirst(equals).trim());
      }
      continued_ = continues;
      if (!continues) completePair(false);
    }
    if (continued_) report(log_, msg::CHK0064A, lineNumber_);
  }

 private:
  void completePair(bool atComment) {
    if (!pendingKey_.empty()) {
      std::string environment;
      if (platform::environmentVariable(pendingKey_.str(), environment) && !environment.empty()) {
        pendingValue_ = Str(environment);
      }
      checkVariableName(log_, pendingKey_);
      insertVariable(pendingKey_, std::move(pendingValue_), true);
      pendingKey_ = Str();
      pendingValue_ = Str();
    } else if (!atComment) {
      report(log_, msg::CHK0064A, lineNumber_);
    }
  }

  ReportLog& log_;
  std::int32_t lineNumber_ = 0;
  Str pendingKey_;
  Str pendingValue_;
  bool continued_ = false;
};

}  // namespace

std::int32_t readProfile(ReportLog& log, const Str& productPath, Str& profileName) {
  loadProductDefaults();
  const Str bareName = fileNamePart(profileName);
  const Str searchList =
      joinPathList(productPath, lookupVariable("PATH", LookupMode::EnvironmentOnly));

  profileName = locateProfile(log, profileName, bareName, searchList);
  if (profileName.empty()) {
    report(log, msg::CHK0062R, bareName);
    reportSearchList(log, searchList);
    return ProfileNotFound;
  }
  report(log, msg::CHK0063I, profileName);

  platform::File file;
  if (!file.open(profileName.str(), platform::File::Access::Read, platform::File::Kind::Text)) {
    report(log, msg::CHK0006R, profileName);
    return ProfileNotOpened;
  }
  file.bufferReads(ProfileReadBufferSize);
  ProfileReader(log).read(file);
  return ProfileRead;
}

void checkProfileAccess(ReportLog& log, const Str& profilePath) {
  if (!isAccessible(profilePath)) report(log, msg::CHK0065A);
}
