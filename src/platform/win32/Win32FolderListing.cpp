#include "platform/win32/Win32FolderListing.h"

#include <windows.h>

#include <string>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

// "D:\Export" -> "\\?\D:\Export\*". The prefix lifts the 260-character limit, so a folder deep
// in a build tree or a node_modules is read like any other, and it passes names through as
// they are (a name ending in a dot or a space is otherwise not found again).
std::wstring SearchPattern(std::string_view path) {
  std::wstring pattern;
  const bool drivePath = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  if (drivePath) pattern = L"\\\\?\\";
  pattern += Widen(path);
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  return pattern;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

ListingOutcome Win32FolderListing::List(std::string_view path, const EntrySink& sink) {
  WIN32_FIND_DATAW data;
  // Basic information leaves out the 8.3 name, which the file system would otherwise look up
  // for every entry; a large fetch asks for many entries per call.
  UniqueFind find(FindFirstFileExW(SearchPattern(path).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
        return ListingOutcome::Ok;  // no entry at all: the root of an empty drive
      case ERROR_PATH_NOT_FOUND:
      case ERROR_DIRECTORY:
      case ERROR_INVALID_NAME:
        return ListingOutcome::NotFound;
      default:
        return ListingOutcome::Unreadable;
    }
  }
  // A name is at most MAX_PATH - 1 UTF-16 units, each at most three bytes in UTF-8.
  char name[MAX_PATH * 3];
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    const int length = WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, name,
                                           static_cast<int>(sizeof name), nullptr, nullptr);
    FolderEntry entry;
    entry.name = std::string_view(name, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Only reparse points that stand for another name lead elsewhere; a cloud file's or a
    // deduplicated file's reparse point holds this very file's data, and a placeholder folder
    // of a synced cloud drive is a real folder of the drive. dwReserved0 is the tag. Wine
    // reports its symbolic links with no tag at all: a reparse point we can't tell is a link.
    const DWORD tag = data.dwReserved0;
    entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                 (tag == 0 || IsReparseTagNameSurrogate(tag));
    if (!entry.directory) {
      entry.bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (!sink(entry)) return ListingOutcome::Ok;
  } while (FindNextFileW(find.get(), &data));
  return GetLastError() == ERROR_NO_MORE_FILES ? ListingOutcome::Ok : ListingOutcome::Unreadable;
}

}  // namespace quenora::win32
