#pragma once
// What this process holds of the system: GDI and USER objects, kernel handles, private bytes.

#include <cstdint>
#include <string>

namespace quenora::win32 {

struct ProcessCounters {
  long gdiObjects = 0;
  long userObjects = 0;
  long kernelHandles = 0;
  std::uint64_t privateBytes = 0;
};

// Reads all four; the memory count last, after the others have let go of their buffers.
ProcessCounters ReadProcessCounters();

// Each count on its own, and where it came from: the system's own count where it keeps one,
// else a count of what the process can be seen to hold (see the .cpp).
long GdiObjectCount();
long UserObjectCount();
long KernelHandleCount();
std::uint64_t PrivateBytes();
std::string CounterSources();

std::string ToString(const ProcessCounters& counters);

}  // namespace quenora::win32
