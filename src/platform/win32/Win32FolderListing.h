#pragma once
// A folder's entries through FindFirstFileExW, the cheapest way Windows lists a folder.

#include "platform/FolderListing.h"

namespace quenora::win32 {

class Win32FolderListing : public FolderListing {
 public:
  ListingOutcome List(std::string_view path, const EntrySink& sink) override;
};

}  // namespace quenora::win32
