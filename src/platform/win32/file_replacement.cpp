// Win32 backend only: replacing a file in one step. The update lock is a
// file beside the target ("<name>.lck") held open with no sharing, deleted
// by the system when its handle closes, whatever ends the process; a second
// update waits until it can open it.
#include "platform/file_replacement.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/fault_injection.h"

namespace platform {
namespace {

volatile LONG interruptEvent = 0;  // the console event plus one; 0 for none
bool handlerInstalled = false;

constexpr DWORD LockRetryMilliseconds = 50;
constexpr int HandlerWaitRounds = 200;  // of 50 ms: the wait for finish()

BOOL WINAPI noteInterrupt(DWORD event) {
  InterlockedExchange(&interruptEvent, static_cast<LONG>(event) + 1);
  // The update ends the process itself once its replacement is gone; the
  // default handling follows only when it takes too long.
  for (int round = 0; round < HandlerWaitRounds; ++round) Sleep(LockRetryMilliseconds);
  return FALSE;
}

using ReplaceFileProcedure = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

/// ReplaceFileA keeps the replaced file's attributes, security and creation
/// time; Windows NT 4.0 does not have it, so it is looked up at run time.
ReplaceFileProcedure replaceFileProcedure() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<ReplaceFileProcedure>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "ReplaceFileA")));
}

}  // namespace

bool FileReplacement::interrupted() {
  return interruptEvent != 0;
}

bool FileReplacement::lock(const std::string& path) {
  finish();
  InterlockedExchange(&interruptEvent, 0);
  handlerInstalled = SetConsoleCtrlHandler(noteInterrupt, TRUE) != 0;
  locked_ = true;
  if (faultinjection::fileOperationFails()) return false;
  target_ = path;
  const std::string lockPath = path + ".lck";
  while (!interrupted()) {
    HANDLE handle =
        CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      lockHandle_ = reinterpret_cast<std::intptr_t>(handle);
      DWORD attributes = GetFileAttributesA(path.c_str());
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    // Held by another update, or still being deleted after one.
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return false;
    Sleep(LockRetryMilliseconds);
  }
  return false;
}

bool FileReplacement::create(File& output) {
  output.close();
  if (lockHandle_ == -1 || interrupted() || faultinjection::fileOperationFails()) return false;
  const std::size_t cut = target_.find_last_of("\\/:");
  const std::string directory =
      cut == std::string::npos ? std::string() : target_.substr(0, cut + 1);
  const std::string base = target_.substr(cut == std::string::npos ? 0 : cut + 1);
  const unsigned long pid = GetCurrentProcessId();
  for (int attempt = 0; attempt < 1000 && !interrupted(); ++attempt) {
    const std::string name =
        base + "." + std::to_string(pid) + "-" + std::to_string(attempt) + ".tmp";
    const std::string path = directory + name;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    created_ = true;
    replacement_ = path;
    replacementName_ = name;
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (fd == -1) {
      CloseHandle(handle);
      return false;
    }
    std::FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr) {
      _close(fd);
      return false;
    }
    output.handle_ = stream;
    return true;
  }
  return false;
}

bool FileReplacement::commit() {
  if (!created_ || committed_ || interrupted() || faultinjection::fileOperationFails()) {
    return false;
  }
  ReplaceFileProcedure replace = replaceFileProcedure();
  committed_ = replace != nullptr &&
               replace(target_.c_str(), replacement_.c_str(), nullptr, 0, nullptr, nullptr) != 0;
  if (!committed_) {
    committed_ = MoveFileExA(replacement_.c_str(), target_.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  return committed_;
}

void FileReplacement::finish() {
  if (created_ && !committed_) DeleteFileA(replacement_.c_str());
  if (lockHandle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(lockHandle_));
  lockHandle_ = -1;
  created_ = committed_ = false;
  target_.clear();
  replacement_.clear();
  replacementName_.clear();
  if (!locked_) return;
  locked_ = false;
  if (handlerInstalled) SetConsoleCtrlHandler(noteInterrupt, FALSE);
  handlerInstalled = false;
  if (interrupted()) ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace platform
