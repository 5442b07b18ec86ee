#include "net/library_loader.h"

#include <cstdio>
#include <string>

#include "config/path_utils.h"
#include "driver/message.h"

LibraryHandle::LibraryHandle()
    : savedErrorMode(platform::setErrorMode(platform::ErrorModFailCriticalErrors)) {}

LibraryHandle::~LibraryHandle() {
  if (module != nullptr) platform::freeLibrary(module);
  platform::setErrorMode(savedErrorMode);
}

std::int32_t LibraryRef::load(const Str& name) {
  if (handle_ != nullptr) return -1;
  handle_ = std::make_shared<LibraryHandle>();
  handle_->module = platform::loadLibrary(Str(name).append(".dll").c_str());
  if (handle_->module == nullptr) return static_cast<std::int32_t>(platform::lastError());
  return 0;
}

bool LibraryRef::procedure(const char* name, platform::ProcedureAddress& slot) const {
  slot = nullptr;
  if (handle_ == nullptr || handle_->module == nullptr) return false;
  slot = platform::procedureAddress(handle_->module, name);
  return slot != nullptr;
}

bool LibraryRef::share(const LibraryRef& other) {
  if (handle_ != nullptr || other.handle_ == nullptr) return false;
  handle_ = other.handle_;
  return true;
}

namespace {

constexpr int ProgressWidth = 49;

void writeConsole(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

bool loadLibraries(ReportLog& log, LibraryRef* refs, const char* const* names, int count,
                   const ProcedureEntry* procedures, platform::ProcedureAddress* slots) {
  if (count == 1 && names[0] == nullptr) return true;
  int loaded = 0;
  for (; loaded < count && names[loaded] != nullptr; ++loaded) {
    const Str displayName = libraryFileName(names[loaded]);
    writeConsole("Loading library " + displayName.str() + "...\r");
    const std::int32_t error = refs[loaded].load(names[loaded]);
    writeConsole(std::string(ProgressWidth, ' ') + "\r");
    if (error != 0) {
      report(log, msg::CHK0004R, error, displayName);
      return false;
    }
  }
  if (loaded == 0) {
    report(log, msg::CHK_DBG, "No libraries loaded");
    return false;
  }
  for (int j = 0; procedures[j].name != nullptr; ++j) {
    const int library = procedures[j].library;
    // A row naming a library that was not loaded cannot be bound either.
    const bool bound =
        library >= 0 && library < loaded && refs[library].procedure(procedures[j].name, slots[j]);
    if (!bound) {
      slots[j] = nullptr;
      const Str displayName =
          library >= 0 && library < loaded ? libraryFileName(names[library]) : Str();
      report(log, msg::CHK0005R, procedures[j].name, displayName);
      return false;
    }
  }
  return true;
}
