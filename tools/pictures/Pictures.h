#pragma once
// The program's pictures, each drawn afresh at the size asked for.

#include "Canvas.h"
#include "IconFile.h"

namespace pictures {

// The four pictures of the option pages: drives, check interval, alarm, autostart.
Image DrawPageDrives(int pixels);
Image DrawPageInterval(int pixels);
Image DrawPageAlarm(int pixels);
Image DrawPageAutostart(int pixels);

// The drive of the drive list, seen from the front.
Image DrawDriveSmall(int pixels);

// The 32 x 32 mouse pointer over the vendor logo, and where it points.
Image DrawMousePointer();
Hotspot MousePointerHotspot();

// The vendor's mark, also the program's window icon.
Image DrawEmblem(int pixels);

// The program's own icon: the fill bar above the drive, as in the notification area.
Image DrawAppIcon(int pixels);

// The start hint's banner, 264 x 64 and opaque: the notification area beside the clock, the
// program's drive icons in it circled in red.
Image DrawStartBanner();

// The About dialog's banner, 224 x 1020 and opaque, pressed for the dialog's narrower picture
// control: the emblem at the top of a blue band, the vendor's name below it, reading upwards.
Image DrawAboutBanner();

}  // namespace pictures
