#pragma once
// The free-space calls of the kernel library, the 64-bit one resolved at run time.

#include <windows.h>

#include "platform/DiskSpace.h"

namespace quenora::win32 {

class Win32DiskSpace : public DiskSpaceApi {
 public:
  // The names are only ever changed by tests, to play a system without the newer call.
  explicit Win32DiskSpace(const char* moduleName = "kernel32.dll",
                          const char* functionName = "GetDiskFreeSpaceExA");

  CallProbe ProbeDiskFreeSpaceEx(std::string_view directory) override;
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override;
  DiskFreeSpaceAnswer CallDiskFreeSpace(std::string_view rootPath) override;
  std::string VolumeLabel(std::string_view rootPath) override;
  DriveKind KindOfDrive(std::string_view rootPath) override;
  std::optional<VolumeIdentity> IdentifyVolume(std::string_view rootPath) override;

 private:
  using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                             PULARGE_INTEGER);
  GetDiskFreeSpaceExFn getDiskFreeSpaceEx_ = nullptr;
  DWORD resolveError_ = 0;
};

// Makes a query of a drive without a medium simply fail, for the whole process, instead of
// raising the system's "no disk" box on every tick.
void FailDriveErrorsQuietly();

// The volume label of `rootPath` ("C:\"), UTF-8; empty when there is none or it can't be read.
std::string ReadVolumeLabel(std::string_view rootPath);

// The system's description of an error number, UTF-8, without the trailing line break.
std::string SystemErrorText(DWORD error);

}  // namespace quenora::win32
