#pragma once
// Turns a portable 32 x 32 picture into an icon.

#include "platform/win32/Handles.h"
#include "util/IconPicture.h"

namespace quenora::win32 {

// A 32 x 32 icon with the picture's colours and its transparent pixels masked out.
UniqueIcon CreateIconFromPicture(const IconPicture& picture);

}  // namespace quenora::win32
