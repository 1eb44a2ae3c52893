#pragma once
// The drive list of the options window: made anew when drives come or go, the user's checks
// kept, and each monitored drive's state at a glance.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/CheckCycle.h"
#include "monitor/DriveForecasts.h"
#include "monitor/DriveTable.h"
#include "settings/OptionsValues.h"
#include "ui/DriveHistories.h"
#include "util/DriveLevels.h"

namespace quenora {

// `listed` are the system's drives now, as the drive list box gives them ("c: [SYSTEM]"). An
// entry keeps the check its letter had in `shown`; a letter new to the list is checked when the
// program monitors it now (a stick the settings wanted), so the next apply keeps it.
std::vector<DriveEntry> RefreshedDriveEntries(const std::vector<DriveEntry>& shown,
                                              const std::vector<std::string>& listed,
                                              const DriveTable& monitored);

// A monitored drive's state as its list entry shows it: "12,3 GB = 45%", after the forecast
// where there is one ("voll in etwa 20 Min., 3,1 GB = 5%"; the long one, "voll in etwa 3 Wochen",
// where there is no short one), "nicht lesbar", or nothing while its first answer is awaited.
std::string DriveStatusText(const DriveReading& reading, std::optional<std::chrono::seconds> left,
                            std::string_view decimalSeparator,
                            std::optional<std::chrono::seconds> longLeft = {});

// A state with the drive's own levels after it: "12,3 GB = 45%, Grenze 10 %, Vorwarnung
// 20 %". Without levels of its own the state stays as it is.
std::string WithOwnLevels(std::string_view state, const std::optional<DriveLevel>& limit,
                          const std::optional<DriveLevel>& early,
                          std::string_view decimalSeparator);

// Each entry's state, in the entries' order: a monitored drive's as the cycle last read it, with
// its forecast and the levels the user set in the window, applied or not; nothing for a drive
// not watched.
// The long forecasts come from `histories`, where the drives are recorded, as of `utc`.
std::vector<std::string> DriveStateTexts(const OptionsValues& options, const CheckCycle& cycle,
                                         const DriveForecasts& forecasts,
                                         std::string_view decimalSeparator,
                                         DriveHistories* histories = nullptr, std::int64_t utc = 0);

}  // namespace quenora
