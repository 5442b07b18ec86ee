// Run-time binding of dynamic libraries: reference-counted library handles
// and the loader that binds named procedures into caller-supplied slots,
// with a progress line on the console and numbered messages on failure.
#pragma once

#include <cstdint>
#include <memory>

#include "driver/report_log.h"
#include "driver/str.h"
#include "platform/library.h"

/// One loaded library. Creating it switches the process error mode to "fail
/// critical errors" (no system dialogs); destroying it frees the library
/// and restores the earlier mode.
struct LibraryHandle {
  LibraryHandle();
  ~LibraryHandle();
  LibraryHandle(const LibraryHandle&) = delete;
  LibraryHandle& operator=(const LibraryHandle&) = delete;

  platform::ModuleHandle module = nullptr;
  std::uint32_t savedErrorMode = 0;
};

/// A scoped, counted reference to at most one LibraryHandle: the library is
/// freed when the last reference to it is released or goes out of scope.
class LibraryRef {
 public:
  LibraryRef() = default;
  LibraryRef(const LibraryRef&) = delete;
  LibraryRef& operator=(const LibraryRef&) = delete;

  /// Loads `name` + ".dll" (always appended). 0 on success, else the system
  /// error code; -1 when this reference already holds a library. A failed
  /// load keeps its (empty) handle until release.
  std::int32_t load(const Str& name);
  /// Binds `name` into `slot`; false (slot null) when the reference is empty
  /// or the library lacks the procedure.
  bool procedure(const char* name, platform::ProcedureAddress& slot) const;
  /// Takes a counted share of `other`'s library; only when this reference is
  /// empty and `other` is not.
  bool share(const LibraryRef& other);
  void release() { handle_.reset(); }
  bool empty() const { return handle_ == nullptr; }

 private:
  std::shared_ptr<LibraryHandle> handle_;
};

/// One row of a procedure table: a procedure name and the index of its
/// library in the caller's list. A null name ends the table.
struct ProcedureEntry {
  const char* name;
  int library;
};

/// Loads up to `count` libraries (a null name ends the list early) into
/// `refs` and binds every procedure of the table into `slots`, in order.
/// Shows "Loading library x.dll..." on the console while loading; reports
/// CHK0004R or CHK0005R on failure. True when everything was bound.
bool loadLibraries(ReportLog& log, LibraryRef* refs, const char* const* names, int count,
                   const ProcedureEntry* procedures, platform::ProcedureAddress* slots);
