// POSIX backend only: files mapped with mmap, and the guard that turns the
// bus error of a file shortened under its mapping into bytes of zero.
#include "platform/posix/mapped_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <utility>

#include "platform/posix/machine.h"

namespace platform::posix {
namespace {
constexpr std::size_t SequentialFrom = 1024 * 1024;
}  // namespace

MappedFile::MappedFile(MappedFile&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    close();
    bytes_ = std::exchange(other.bytes_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedFile::Opened MappedFile::openHost(const std::string& hostPath) {
  close();
  int fd = -1;
  std::uint64_t fileSize = 0;
  switch (openRegularHostFile(hostPath, fd, &fileSize)) {
    case HostOpen::Opened:
      break;
    case HostOpen::Missing:
      return Opened::Missing;
    case HostOpen::NotRegular:
      return Opened::NotRegular;
    case HostOpen::Unreadable:
      return Opened::Unreadable;
  }
  if (fileSize == 0 || fileSize > SIZE_MAX) {
    ::close(fd);
    return Opened::NotMapped;
  }
  const std::size_t size = static_cast<std::size_t>(fileSize);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);  // the mapping keeps the file
  if (mapped == MAP_FAILED) return Opened::NotMapped;
  // Read-ahead for a file read front to back; a small one is read whole at
  // its first page anyway.
  if (size >= SequentialFrom) ::madvise(mapped, size, MADV_SEQUENTIAL);
  bytes_ = static_cast<const unsigned char*>(mapped);
  size_ = size;
  return Opened::Mapped;
}

void MappedFile::close() {
  if (bytes_ != nullptr) ::munmap(const_cast<unsigned char*>(bytes_), size_);
  bytes_ = nullptr;
  size_ = 0;
}

void MappedFile::release(std::size_t offset) {
  if (bytes_ == nullptr) return;
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t end = (offset < size_ ? offset : size_) / page * page;
  if (end > 0) ::madvise(const_cast<unsigned char*>(bytes_), end, MADV_DONTNEED);
}

namespace {

// The guard in force: the range of the mapping it protects (whole pages),
// whether a fault came, and the handler it displaced. Written only while no
// handler of ours is installed, read by the handler.
struct GuardState {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
  volatile std::sig_atomic_t faulted = 0;
  struct sigaction previous;
};
GuardState guardState;

void onBusError(int, siginfo_t* info, void*) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  if (address >= guardState.begin && address < guardState.end) {
    // Anonymous pages, zero-filled, in place of the rest of the file: the
    // access that faulted is made again and reads zeros, as does every later
    // one, so the reader goes on (to the end, or to its next look at
    // faulted()) without a jump past its own code.
    const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = address / page * page;
    void* zeros = ::mmap(reinterpret_cast<void*>(from), guardState.end - from, PROT_READ,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (zeros != MAP_FAILED) {
      guardState.faulted = 1;
      return;
    }
  }
  // Not a fault of the guarded mapping: the handler before ours takes it
  // when the access is made again.
  ::sigaction(SIGBUS, &guardState.previous, nullptr);
}

}  // namespace

MappedFile::Guard::Guard(const MappedFile& file) {
  if (file.bytes_ == nullptr) return;
  const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  guardState.begin = reinterpret_cast<std::uintptr_t>(file.bytes_);
  guardState.end = guardState.begin + (file.size_ + page - 1) / page * page;
  guardState.faulted = 0;
  struct sigaction action = {};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  installed_ = ::sigaction(SIGBUS, &action, &guardState.previous) == 0;
}

MappedFile::Guard::~Guard() {
  if (installed_) ::sigaction(SIGBUS, &guardState.previous, nullptr);
}

bool MappedFile::Guard::faulted() const {
  return installed_ && guardState.faulted != 0;
}

}  // namespace platform::posix
