#pragma once
// The entries of the hidden drive list box DriveList.

#include <string>
#include <vector>

#include "platform/LogicalDrives.h"

namespace quenora {

// The system's drives in ascending letter order, each its lower-case letter and a colon:
// "c: [SYSTEM]" for a local disk with a label, "x: [Netzlaufwerk]" for a network drive, the
// bare "a:" for every other one.
std::vector<std::string> DriveListEntries(LogicalDrives& drives);

// The entry of one drive, `letter` 'A' to 'Z', as DriveListEntries gives it ("c: [SYSTEM]").
std::string DriveListEntry(LogicalDrives& drives, char letter);

}  // namespace quenora
