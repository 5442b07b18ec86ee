// Portable interface to the files of the host that runs the program, for
// writing a snapshot of the machine (zorivt-collect). On Windows the host's
// files are the machine's; on POSIX hosts the machine is emulated and a host
// path is a plain POSIX path outside it. Nothing here is recorded.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class HostFolderState { Missing, Empty, NotEmpty, NotFolder };

HostFolderState hostFolderState(const std::string& hostPath);

/// Creates one folder; true when it is a folder afterwards.
bool createHostFolder(const std::string& hostPath);

/// `folder` and `name` (one path component) joined with the host's separator.
std::string hostChildPath(const std::string& folder, const std::string& name);

/// Creates a new file (never replacing one) holding `bytes`.
bool writeNewHostFile(const std::string& hostPath, const std::string& bytes);

/// Creates a new file of `size` bytes without writing them (a sparse file
/// where the file system has them). Unless `readable`, a POSIX host gives it
/// no permissions, as the file it stands for could not be read either.
bool createHostPlaceholder(const std::string& hostPath, std::uint64_t size, bool readable = true);

/// Copies the machine file `machinePath` whole into the new host file
/// `hostPath`; `size` is the bytes copied. False with `reason` when the file
/// cannot be read or the copy written.
bool copyMachineFileToHost(const std::string& machinePath, const std::string& hostPath,
                           std::uint64_t& size, std::string& reason);

/// The size of the machine file `machinePath`; false when it is no file.
bool machineFileSize(const std::string& machinePath, std::uint64_t& size);

/// The full path of an existing machine file or directory, each component
/// spelt as the file system keeps it, the drive letter in lower case
/// ("c:\Corvanta\zorpzcfg.prf"); empty when it does not exist.
std::string actualMachinePath(const std::string& machinePath);

/// The machine path by which the program reaches the host folder
/// `hostPath`; empty when none reaches it.
std::string machinePathOfHostFolder(const std::string& hostPath);

}  // namespace platform
