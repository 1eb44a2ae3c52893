#pragma once
// Files through the wide calls.

#include "platform/Files.h"

namespace quenora::win32 {

class Win32Files final : public Files {
 public:
  std::optional<std::uint32_t> FindFile(std::string_view path) override;
  bool SetNormalAttributes(std::string_view path) override;
  bool DeleteFileAt(std::string_view path) override;
};

}  // namespace quenora::win32
