#pragma once
// Where a volume's history file lies: one file per volume, named after what the volume is, not
// after its letter.

#include <string>
#include <string_view>

#include "platform/DiskSpace.h"

namespace quenora {

// The folder of the histories under the user's local application data folder, with a trailing
// backslash; empty when `localAppData` is.
std::string HistoryFolder(std::string_view localAppData);

// The file name of the history of `volume`, safe in any folder: "NTFS-1A2B-3C4D.verlauf" for a
// local volume, "Netz-server-share-<hash>.verlauf" for a network share.
std::string HistoryFileName(const VolumeIdentity& volume);

}  // namespace quenora
