#pragma once
// Turns a portable picture into an icon.

#include "platform/win32/Handles.h"
#include "util/IconPicture.h"

namespace quenora::win32 {

// An icon of the picture's size with its colours and its transparent pixels masked out.
UniqueIcon CreateIconFromPicture(const IconPicture& picture);

}  // namespace quenora::win32
