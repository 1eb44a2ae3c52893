#include "platform/win32/Win32Files.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace quenora::win32 {

std::optional<std::uint32_t> Win32Files::FindFile(std::string_view path) {
  // A drive that isn't ready just fails here; the process has drive error boxes switched off.
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<std::uint32_t>(attributes);
}

bool Win32Files::SetNormalAttributes(std::string_view path) {
  return SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32Files::DeleteFileAt(std::string_view path) {
  return DeleteFileW(Widen(path).c_str()) != 0;
}

}  // namespace quenora::win32
