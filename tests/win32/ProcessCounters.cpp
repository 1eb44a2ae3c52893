#include "ProcessCounters.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace quenora::win32 {

// Wine (8.0 here) keeps none of the four counts the system calls report on Windows:
// GetGuiResources is a stub (0 with ERROR_CALL_NOT_IMPLEMENTED), GetProcessHandleCount
// succeeds with 0, and GetProcessMemoryInfo leaves PrivateUsage at 0 (its working set and
// page file figures stood still while 3 MB leaked). Each count below asks the system first and
// takes its answer when it is one; where it isn't, the count is taken from what wine does
// keep. Each replacement was seen to move by exactly what a deliberate leak held: 1,000 icons
// (+1,000 USER, +3,000 GDI), brushes, menus, windows, events; the memory sum by the 64 KB
// steps in which the heap committed what 1,000 or 10,000 leaked blocks took.

namespace {

bool gdiFromSystem = false, userFromSystem = false, handlesFromSystem = false,
     memoryFromSystem = false;

// Wine keeps the process's GDI objects in a table of 65,536 entries; a handle is the entry's
// index with a generation in the upper word, and a handle whose upper word is 0 names the
// entry whatever its generation. GetObjectType tells whether an entry holds a live object.
long CountGdiTable() {
  long count = 0;
  for (UINT_PTR index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

// USER handles are 0x20 + 2 x index with a generation in the upper word, and again an upper
// word of 0 names whatever lives at the index. Counted are the kinds a program like this one
// makes: windows (only those of this process; other processes' windows are visible too),
// icons and cursors, menus and accelerator tables. Icons and menus are only found in the
// process that owns them.
long CountUserTable() {
  const DWORD self = GetCurrentProcessId();
  long count = 0;
  for (UINT_PTR value = 0x20; value <= 0xFFEF; value += 2) {
    const HWND window = reinterpret_cast<HWND>(value);
    if (IsWindow(window)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == self) ++count;
      continue;
    }
    ICONINFO icon{};
    if (GetIconInfo(reinterpret_cast<HICON>(value), &icon)) {
      // The call hands out copies of the icon's bitmaps.
      if (icon.hbmColor) DeleteObject(icon.hbmColor);
      if (icon.hbmMask) DeleteObject(icon.hbmMask);
      ++count;
      continue;
    }
    if (IsMenu(reinterpret_cast<HMENU>(value)) ||
        CopyAcceleratorTableW(reinterpret_cast<HACCEL>(value), nullptr, 0) > 0) {
      ++count;
    }
  }
  return count;
}

// The system-wide handle list (SystemHandleInformation), which wine's server fills, filtered
// by owner. Its entries have the same layout on Windows.
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};

long CountSystemHandleList() {
  using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  const FARPROC proc = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
  if (!proc) return -1;
  QuerySystemInformation query = nullptr;
  static_assert(sizeof query == sizeof proc);
  std::memcpy(&query, &proc, sizeof proc);

  std::vector<char> buffer(64 * 1024);
  LONG status = 0;
  ULONG needed = 0;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &needed)) == kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return -1;
  const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
  const DWORD self = GetCurrentProcessId();
  long count = 0;
  for (ULONG i = 0; i < list->count; ++i) {
    if (list->entries[i].ownerPid == self) ++count;
  }
  return count;
}

// Private bytes as Windows defines them: committed memory that belongs to this process alone
// (heaps, stacks, VirtualAlloc), summed over the address space as VirtualQuery reports it.
// That is all the memory the program's own code allocates. Wine's own bookkeeping of GDI and
// USER objects lives outside it, in its Unix libraries, and shows in the object counts instead.
std::uint64_t SumCommittedPrivate() {
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

}  // namespace

HeapBytes ReadHeapBytes() {
  // The heaps' own list, walked with each one locked; nothing here allocates, so the count
  // does not count itself.
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  HeapBytes bytes;
  for (DWORD i = 0; i < count && i < 64; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes.busy += entry.cbData;
      if (entry.wFlags & PROCESS_HEAP_REGION) bytes.committed += entry.Region.dwCommittedSize;
    }
    HeapUnlock(heaps[i]);
  }
  return bytes;
}

long GdiObjectCount() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  gdiFromSystem = count != 0;
  return gdiFromSystem ? static_cast<long>(count) : CountGdiTable();
}

long UserObjectCount() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  userFromSystem = count != 0;
  return userFromSystem ? static_cast<long>(count) : CountUserTable();
}

long KernelHandleCount() {
  // A running process always holds some handles (its own files, the server's, the console),
  // so 0 means the call only pretends.
  DWORD count = 0;
  handlesFromSystem = GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0;
  return handlesFromSystem ? static_cast<long>(count) : CountSystemHandleList();
}

std::uint64_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  memoryFromSystem =
      GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory) &&
      memory.PrivateUsage != 0;
  return memoryFromSystem ? memory.PrivateUsage : SumCommittedPrivate();
}

ProcessCounters ReadProcessCounters() {
  ProcessCounters counters;
  counters.gdiObjects = GdiObjectCount();
  counters.userObjects = UserObjectCount();
  counters.kernelHandles = KernelHandleCount();
  counters.privateBytes = PrivateBytes();
  const HeapBytes heap = ReadHeapBytes();
  counters.heapBusyBytes = heap.busy;
  counters.heapCommittedBytes = heap.committed;
  return counters;
}

std::size_t CommittedPrivateRegions(std::span<MemoryRegion> regions) {
  std::size_t count = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE && count < regions.size()) {
      regions[count++] = {reinterpret_cast<std::uintptr_t>(region.BaseAddress),
                          reinterpret_cast<std::uintptr_t>(region.AllocationBase),
                          region.RegionSize};
    }
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return count;
}

std::string RegionsGrown(std::span<const MemoryRegion> before, std::span<const MemoryRegion> now) {
  std::string text;
  for (const MemoryRegion& region : now) {
    std::size_t had = 0;
    for (const MemoryRegion& old : before) {
      if (old.base == region.base) had = old.size;
    }
    if (region.size <= had) continue;
    char line[120];
    std::snprintf(line, sizeof line, "  %#llx (allocated at %#llx): %zu bytes, before %zu\n",
                  static_cast<unsigned long long>(region.base),
                  static_cast<unsigned long long>(region.allocationBase), region.size, had);
    text += line;
  }
  return text;
}

std::string CounterSources() {
  std::string text;
  text += gdiFromSystem ? "GDI: GetGuiResources" : "GDI: handle table";
  text += userFromSystem ? ", USER: GetGuiResources" : ", USER: handle table";
  text += handlesFromSystem ? ", handles: GetProcessHandleCount" : ", handles: system list";
  text += memoryFromSystem ? ", memory: PrivateUsage" : ", memory: committed private regions";
  return text;
}

std::string ToString(const ProcessCounters& counters) {
  return "GDI " + std::to_string(counters.gdiObjects) + ", USER " +
         std::to_string(counters.userObjects) + ", handles " +
         std::to_string(counters.kernelHandles) + ", private bytes " +
         std::to_string(counters.privateBytes) + ", heap busy bytes " +
         std::to_string(counters.heapBusyBytes) + " in " +
         std::to_string(counters.heapCommittedBytes) + " committed";
}

}  // namespace quenora::win32
