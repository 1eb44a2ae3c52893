#include "platform/win32/Win32DiskSpace.h"

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

Int64Bytes ToBytes(const ULARGE_INTEGER& value) {
  Int64Bytes bytes{};
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    bytes[k] = static_cast<std::uint8_t>(value.QuadPart >> (8 * k));
  }
  return bytes;
}

// Whether the volume `letter` lies on a disk attached by USB, FireWire, a card reader or
// iSCSI, or on a virtual disk backed by a file (which may lie on a network share). The storage
// stack answers from what it learnt when the disk arrived, without asking the disk; a volume it
// can't tell counts as internal.
bool OnAnExternalBus(wchar_t letter) {
  const wchar_t volumePath[] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
  HANDLE opened = CreateFileW(volumePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  const UniqueKernelHandle volume(opened);
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  STORAGE_DEVICE_DESCRIPTOR descriptor{};
  DWORD bytes = 0;
  if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                       &descriptor, sizeof descriptor, &bytes, nullptr) ||
      bytes < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor.BusType) {
    return false;
  }
  switch (descriptor.BusType) {
    case BusTypeUsb:
    case BusType1394:
    case BusTypeiScsi:
    case BusTypeSd:
    case BusTypeMmc:
    case BusTypeFileBackedVirtual:
      return true;
    default:
      return false;
  }
}

}  // namespace

void FailDriveErrorsQuietly() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return Narrow(text);
}

Win32DiskSpace::Win32DiskSpace(const char* moduleName, const char* functionName) {
  // Resolved at run time, so the program also starts where the kernel library lacks the
  // newer call and then really uses the older one.
  HMODULE module = GetModuleHandleA(moduleName);
  FARPROC proc = module ? GetProcAddress(module, functionName) : nullptr;
  if (!proc) {
    resolveError_ = GetLastError();
    return;
  }
  static_assert(sizeof getDiskFreeSpaceEx_ == sizeof proc);
  std::memcpy(&getDiskFreeSpaceEx_, &proc, sizeof proc);
}

CallProbe Win32DiskSpace::ProbeDiskFreeSpaceEx(std::string_view directory) {
  if (!getDiskFreeSpaceEx_) {
    // A missing entry point is how an old system says it lacks the call; anything else (the
    // library itself not found) is unexpected.
    if (resolveError_ == ERROR_PROC_NOT_FOUND) {
      return {CallProbe::Outcome::FunctionMissing, resolveError_, {}};
    }
    return {CallProbe::Outcome::CallFailed, resolveError_, SystemErrorText(resolveError_)};
  }
  ULARGE_INTEGER available{}, total{}, totalFree{};
  const std::string path(directory);
  getDiskFreeSpaceEx_(path.c_str(), &available, &total, &totalFree);  // result ignored
  return {CallProbe::Outcome::Callable, 0, {}};
}

DiskFreeSpaceExAnswer Win32DiskSpace::CallDiskFreeSpaceEx(std::string_view directory) {
  DiskFreeSpaceExAnswer answer;
  if (!getDiskFreeSpaceEx_) return answer;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  const std::string path(directory);
  answer.ok = getDiskFreeSpaceEx_(path.c_str(), &available, &total, &totalFree) != 0;
  answer.availableToCaller = ToBytes(available);
  answer.totalBytes = ToBytes(total);
  answer.totalFreeBytes = ToBytes(totalFree);
  return answer;
}

DiskFreeSpaceAnswer Win32DiskSpace::CallDiskFreeSpace(std::string_view rootPath) {
  DiskFreeSpaceAnswer answer;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const std::string path(rootPath);
  answer.ok = GetDiskFreeSpaceA(path.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                &totalClusters) != 0;
  answer.sectorsPerCluster = sectorsPerCluster;
  answer.bytesPerSector = bytesPerSector;
  answer.freeClusters = freeClusters;
  answer.totalClusters = totalClusters;
  return answer;
}

std::string Win32DiskSpace::VolumeLabel(std::string_view rootPath) {
  return ReadVolumeLabel(rootPath);
}

std::string ReadVolumeLabel(std::string_view rootPath) {
  wchar_t label[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(Widen(rootPath).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                             nullptr, nullptr, 0)) {
    return {};
  }
  return Narrow(label);
}

DriveKind Win32DiskSpace::KindOfDrive(std::string_view rootPath) {
  // The device behind the letter, read from the object namespace: a local volume is
  // "\Device\HarddiskVolume3", a network drive "\Device\LanmanRedirector\..." or
  // "\Device\Mup\...". Only for a local volume is the drive type asked: for a network drive that
  // call may already wait for the server.
  if (rootPath.size() != 3 || rootPath[1] != ':' || rootPath[2] != '\\') {
    return DriveKind::MayKeepWaiting;
  }
  const wchar_t name[] = {static_cast<wchar_t>(rootPath[0]), L':', L'\0'};
  wchar_t device[MAX_PATH] = {};
  if (!QueryDosDeviceW(name, device, MAX_PATH)) return DriveKind::MayKeepWaiting;
  constexpr std::wstring_view kVolume = L"\\Device\\HarddiskVolume";
  if (std::wstring_view(device).substr(0, kVolume.size()) != kVolume) {
    return DriveKind::MayKeepWaiting;
  }
  switch (GetDriveTypeW(Widen(rootPath).c_str())) {
    case DRIVE_FIXED:
      // Fixed as far as Windows goes, but as slow to answer as a network drive when it spins up,
      // fails or loses its connection.
      return OnAnExternalBus(name[0]) ? DriveKind::MayKeepWaiting : DriveKind::LocalDisk;
    case DRIVE_RAMDISK:
      return DriveKind::LocalDisk;
    default:  // removable media may be slow to answer
      return DriveKind::MayKeepWaiting;
  }
}

std::optional<VolumeIdentity> Win32DiskSpace::IdentifyVolume(std::string_view rootPath) {
  // A network drive is the share it connects to, whatever its letter; the network library is
  // loaded only when asked (it isn't one the loader takes from the system folder alone), and
  // answers from the connection table without asking the server. A remembered connection that
  // is down now still names its share.
  using GetConnectionFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
  static const GetConnectionFn getConnection = [] {
    HMODULE mpr = LoadSystemLibrary(L"mpr.dll");
    return mpr ? reinterpret_cast<GetConnectionFn>(
                     reinterpret_cast<void (*)()>(GetProcAddress(mpr, "WNetGetConnectionW")))
               : nullptr;
  }();
  VolumeIdentity identity;
  if (getConnection && rootPath.size() >= 2 && rootPath[1] == ':') {
    const wchar_t local[] = {static_cast<wchar_t>(rootPath[0]), L':', L'\0'};
    wchar_t remote[1024] = {};
    DWORD length = 1024;
    const DWORD result = getConnection(local, remote, &length);
    if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL) {
      identity.remoteName = Narrow(remote);
      if (!identity.remoteName.empty()) return identity;
    }
  }
  // A local volume by the serial number its format wrote on it: it stays with the volume, under
  // any letter and on any machine, where the volume's GUID path is made up by each machine that
  // sees it.
  DWORD serial = 0;
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(Widen(rootPath).c_str(), nullptr, 0, &serial, nullptr, nullptr,
                             fileSystem, MAX_PATH + 1)) {
    return std::nullopt;
  }
  identity.serialNumber = serial;
  identity.fileSystem = Narrow(fileSystem);
  return identity;
}

}  // namespace quenora::win32
