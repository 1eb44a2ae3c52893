#pragma once
// What this process holds of the system: GDI and USER objects, kernel handles, private bytes,
// and the bytes its heaps have handed out.

#include <cstdint>
#include <span>
#include <string>

namespace quenora::win32 {

struct ProcessCounters {
  long gdiObjects = 0;
  long userObjects = 0;
  long kernelHandles = 0;
  std::uint64_t privateBytes = 0;
  std::uint64_t heapBusyBytes = 0;
  // The memory the heaps have committed for their blocks: it only ever grows to the most they
  // once held at a time, and is part of the private bytes.
  std::uint64_t heapCommittedBytes = 0;
};

// Reads all five; the memory counts last, after the others have let go of their buffers.
ProcessCounters ReadProcessCounters();

// Each count on its own, and where it came from: the system's own count where it keeps one,
// else a count of what the process can be seen to hold (see the .cpp).
long GdiObjectCount();
long UserObjectCount();
long KernelHandleCount();
std::uint64_t PrivateBytes();
// The bytes in the blocks that the process's heaps have handed out and not had back, and the
// memory they have committed for them.
struct HeapBytes {
  std::uint64_t busy = 0;
  std::uint64_t committed = 0;
};
HeapBytes ReadHeapBytes();
std::string CounterSources();

// The committed private regions, by where each begins: to tell what grew.
struct MemoryRegion {
  std::uintptr_t base = 0;
  std::uintptr_t allocationBase = 0;
  std::size_t size = 0;
};
// Fills `regions` without allocating (so that it can be taken between two counts) and returns
// how many it filled.
std::size_t CommittedPrivateRegions(std::span<MemoryRegion> regions);
// The regions of `now` that `before` lacks or had smaller, one per line.
std::string RegionsGrown(std::span<const MemoryRegion> before, std::span<const MemoryRegion> now);

std::string ToString(const ProcessCounters& counters);

}  // namespace quenora::win32
