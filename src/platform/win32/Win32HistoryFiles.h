#pragma once
// The history files through the kernel's file calls.

#include "platform/HistoryFiles.h"

namespace quenora::win32 {

class Win32HistoryFiles final : public HistoryFiles {
 public:
  std::string LocalAppData() override;
  bool MakeFolders(std::string_view folder) override;
  OpenedHistoryFile Open(std::string_view path) override;
  OpenedHistoryFile Create(std::string_view path, std::uint64_t size) override;
  bool SetAside(std::string_view path) override;
};

}  // namespace quenora::win32
