// POSIX backend only: host files for writing a snapshot, and the actual
// spelling of the emulated machine's paths.
#include "platform/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file.h"
#include "platform/host.h"
#include "platform/posix/machine.h"

namespace platform {

HostFolderState hostFolderState(const std::string& hostPath) {
  struct stat st;
  if (::lstat(hostPath.c_str(), &st) != 0) {
    return errno == ENOENT ? HostFolderState::Missing : HostFolderState::NotFolder;
  }
  if (!S_ISDIR(st.st_mode)) return HostFolderState::NotFolder;
  DIR* d = ::opendir(hostPath.c_str());
  if (d == nullptr) return HostFolderState::NotFolder;
  HostFolderState state = HostFolderState::Empty;
  while (struct dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      state = HostFolderState::NotEmpty;
      break;
    }
  }
  ::closedir(d);
  return state;
}

bool createHostFolder(const std::string& hostPath) {
  if (::mkdir(hostPath.c_str(), 0777) == 0) return true;
  struct stat st;
  return errno == EEXIST && ::lstat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string hostChildPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

namespace {
int createNew(const std::string& hostPath) {
  return ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool writeAll(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}
}  // namespace

bool writeNewHostFile(const std::string& hostPath, const std::string& bytes) {
  const int fd = createNew(hostPath);
  if (fd < 0) return false;
  const bool written = writeAll(fd, bytes.data(), bytes.size());
  return ::close(fd) == 0 && written;
}

bool createHostPlaceholder(const std::string& hostPath, std::uint64_t size, bool readable) {
  const int fd = createNew(hostPath);
  if (fd < 0) return false;
  const bool sized =
      ::ftruncate(fd, static_cast<off_t>(size)) == 0 && (readable || ::fchmod(fd, 0) == 0);
  return ::close(fd) == 0 && sized;
}

bool copyMachineFileToHost(const std::string& machinePath, const std::string& hostPath,
                           std::uint64_t& size, std::string& reason) {
  size = 0;
  File source;
  if (!source.open(machinePath, File::Access::Read, File::Kind::Binary)) {
    reason = "cannot be read";
    return false;
  }
  const int fd = createNew(hostPath);
  if (fd < 0) {
    reason = std::string("cannot be written: ") + std::strerror(errno);
    return false;
  }
  char buffer[65536];
  bool written = true;
  for (std::size_t n; written && (n = source.read(buffer, sizeof buffer)) > 0;) {
    written = writeAll(fd, buffer, n);
    size += n;
  }
  if (!written) reason = std::string("cannot be written: ") + std::strerror(errno);
  if (written && source.failed()) {
    written = false;
    reason = "cannot be read to its end";
  }
  return ::close(fd) == 0 && written;
}

bool machineFileSize(const std::string& machinePath, std::uint64_t& size) {
  return host::fileSize(machinePath, size);
}

std::string actualMachinePath(const std::string& machinePath) {
  const posix::Machine& machine = posix::Machine::current();
  std::string host, actual;
  if (!machine.resolve(machinePath, host, false, &actual)) return std::string();
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return std::string();
  return actual;
}

std::string machinePathOfHostFolder(const std::string& hostPath) {
  const posix::Machine& machine = posix::Machine::current();
  const std::string path = machine.windowsPathOf(hostPath);
  // A drive_z of the machine hides the host's root: the path must lead back.
  std::string back;
  char* real = ::realpath(hostPath.c_str(), nullptr);
  if (real == nullptr) return std::string();
  const std::string wanted(real);
  std::free(real);
  if (!machine.resolve(path, back, false)) return std::string();
  char* again = ::realpath(back.c_str(), nullptr);
  if (again == nullptr) return std::string();
  const bool same = wanted == again;
  std::free(again);
  return same ? path : std::string();
}

}  // namespace platform
