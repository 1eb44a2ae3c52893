#include "platform/win32/Win32HistoryFiles.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

class Win32HistoryFile final : public HistoryFile {
 public:
  explicit Win32HistoryFile(UniqueFile handle) : handle_(std::move(handle)) {}

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    DWORD done = 0;
    OVERLAPPED at = At(offset);
    return ReadFile(handle_.get(), into.data(), static_cast<DWORD>(into.size()), &done, &at) &&
           done == into.size();
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    DWORD done = 0;
    OVERLAPPED at = At(offset);
    return WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, &at) &&
           done == bytes.size();
  }
  bool Flush() override { return FlushFileBuffers(handle_.get()) != 0; }

  // Makes the file `size` zero bytes long. Setting the end takes the space from the disk on most
  // file systems, and fails at once when it isn't there; writing the zeros makes sure of it
  // where a file system would leave a hole (a compressed or sparse one, a share's server). The
  // file is a few hundred kilobytes.
  bool Allocate(std::uint64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_.get(), end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(handle_.get())) {
      return false;
    }
    const std::vector<std::uint8_t> zeros(64 * 1024);
    for (std::uint64_t offset = 0; offset < size; offset += zeros.size()) {
      const auto part =
          static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), size - offset));
      if (!WriteAt(offset, std::span<const std::uint8_t>(zeros).first(part))) return false;
    }
    return Flush();
  }

 private:
  // On a handle opened for plain (not overlapped) access the offsets only say where; the call
  // still waits for its bytes.
  static OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
  }
  UniqueFile handle_;
};

// Nobody else may read, write, rename or delete the file while we hold it (share mode 0): two
// sessions of the same user recording into one file would tear each other's slots.
OpenedHistoryFile OpenHandle(std::string_view path, DWORD disposition) {
  UniqueFile handle(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle)
    return {OpenedHistoryFile::Outcome::kOpened,
            std::make_unique<Win32HistoryFile>(std::move(handle))};
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return {OpenedHistoryFile::Outcome::kMissing, nullptr};
    case ERROR_SHARING_VIOLATION:
      return {OpenedHistoryFile::Outcome::kInUse, nullptr};
    default:
      return {OpenedHistoryFile::Outcome::kFailed, nullptr};
  }
}

}  // namespace

std::string Win32HistoryFiles::LocalAppData() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return Narrow(folder);
}

bool Win32HistoryFiles::MakeFolders(std::string_view folder) {
  std::wstring path = Widen(folder);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  // From the top down; the drive itself, or a folder that is there, just fails.
  for (std::size_t end = path.find(L'\\'); end != std::wstring::npos;
       end = path.find(L'\\', end + 1)) {
    CreateDirectoryW(path.substr(0, end).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

OpenedHistoryFile Win32HistoryFiles::Open(std::string_view path) {
  return OpenHandle(path, OPEN_EXISTING);
}

OpenedHistoryFile Win32HistoryFiles::Create(std::string_view path, std::uint64_t size) {
  OpenedHistoryFile created = OpenHandle(path, CREATE_NEW);
  if (created.outcome != OpenedHistoryFile::Outcome::kOpened) {
    if (created.outcome == OpenedHistoryFile::Outcome::kMissing) {
      created.outcome = OpenedHistoryFile::Outcome::kFailed;
    }
    return created;
  }
  if (static_cast<Win32HistoryFile&>(*created.file).Allocate(size)) return created;
  // Half made, it would be set aside at the next start: better gone now.
  created.file.reset();
  DeleteFileW(Widen(path).c_str());
  return {OpenedHistoryFile::Outcome::kFailed, nullptr};
}

bool Win32HistoryFiles::SetAside(std::string_view path) {
  const std::string aside = std::string(path) + ".defekt";
  return MoveFileExW(Widen(path).c_str(), Widen(aside).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace quenora::win32
