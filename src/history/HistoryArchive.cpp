#include "history/HistoryArchive.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

namespace quenora {

namespace {

// The layout, little-endian throughout and written byte by byte, so that the same file reads
// the same in a 32- and a 64-bit build of any compiler:
//   header  0 magic (8) | 8 version (4) | 12 slot size (4) | 16 per ring: length in seconds (4),
//           count (4) | 40 name length (4) | 44 name, UTF-8 (up to 200) | 244 time of the
//           first reading (8; 0: not known, in files made before it was kept) | 252 check of
//           0..251 (4)
//   slot    0 start (8) | 8 least (8) | 16 most (8) | 24 last (8) | 32 total (8) |
//           40 readings (4) | 44 check of 0..43, its ring and its place in the ring (4)
// The header is written once, when the file is made; after that only slots are written, each
// in one piece. Where a ring stands is read from the slots themselves (a slot's place is its
// start in slot lengths, modulo the ring's count), so a write torn by a power cut costs at
// most that one slot, and never the ring.
constexpr std::array<std::uint8_t, 8> kMagic = {'Q', 'u', 'e', 'n', 'o', 'r', 'a', 'V'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 256;
constexpr std::size_t kNameOffset = 44;
constexpr std::size_t kNameBytes = 200;
constexpr std::size_t kSinceOffset = 244;
// Files made before the first reading's time was kept had room for a name up to here.
constexpr std::size_t kOldNameBytes = 208;
constexpr std::size_t kSlotBytes = 48;
constexpr std::size_t kSlotChecked = 44;
constexpr int kRings = 3;

using Bytes = std::vector<std::uint8_t>;

void Put(std::uint8_t* at, std::uint64_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) at[k] = static_cast<std::uint8_t>(value >> (8 * k));
}
std::uint64_t Get(const std::uint8_t* at, int bytes) {
  std::uint64_t value = 0;
  for (int k = 0; k < bytes; ++k) value |= std::uint64_t{at[k]} << (8 * k);
  return value;
}

// CRC-32 (the one of zip and PNG), bit by bit: a slot is 44 bytes, a table would cost more
// than it saves.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t k = 0; k < size; ++k) {
    crc ^= data[k];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// The check of a slot covers its place as well: a slot that landed in the wrong place (or a
// block of another file) doesn't pass for data.
std::uint32_t SlotCheck(const std::uint8_t* slot, int ring, std::uint32_t place) {
  std::uint8_t where[5];
  where[0] = static_cast<std::uint8_t>(ring);
  Put(where + 1, place, 4);
  return Crc32(slot, kSlotChecked, Crc32(where, sizeof where));
}

std::uint64_t RingOffset(int ring) {
  std::uint64_t offset = kHeaderBytes;
  for (int r = 0; r < ring; ++r) offset += std::uint64_t(kHistoryShapes[r].count) * kSlotBytes;
  return offset;
}

std::uint32_t PlaceOf(int ring, std::int64_t start) {
  const HistorySlotShape shape = kHistoryShapes[ring];
  return static_cast<std::uint32_t>(start / shape.seconds % shape.count);
}

Bytes Header(std::string_view volumeName, std::int64_t since) {
  Bytes header(kHeaderBytes);
  std::copy(kMagic.begin(), kMagic.end(), header.begin());
  Put(&header[8], kVersion, 4);
  Put(&header[12], kSlotBytes, 4);
  for (int r = 0; r < kRings; ++r) {
    Put(&header[16 + 8 * r], std::uint64_t(kHistoryShapes[r].seconds), 4);
    Put(&header[20 + 8 * r], std::uint64_t(kHistoryShapes[r].count), 4);
  }
  // A name too long is cut; it only tells a person which volume the file is about.
  const std::size_t length = std::min(volumeName.size(), kOldNameBytes);
  Put(&header[40], length, 4);
  std::copy_n(volumeName.begin(), length, header.begin() + kNameOffset);
  if (length <= kNameBytes) Put(&header[kSinceOffset], static_cast<std::uint64_t>(since), 8);
  Put(&header[kHeaderBytes - 4], Crc32(header.data(), kHeaderBytes - 4), 4);
  return header;
}

enum class Reading { kOurs, kForeign, kFailed };

// Whether `file` is a history of this version and shape; the volume's name and the time of its
// first reading from it if so.
Reading ReadHeader(HistoryFile& file, std::string& volumeName, std::int64_t& since) {
  if (file.Size() != HistoryFileSize()) return Reading::kForeign;
  Bytes header(kHeaderBytes);
  if (!file.ReadAt(0, header)) return Reading::kFailed;
  const auto length = static_cast<std::size_t>(Get(&header[40], 4));
  const std::string name(header.begin() + kNameOffset,
                         header.begin() + kNameOffset + std::min(length, kOldNameBytes));
  const auto kept = static_cast<std::int64_t>(Get(&header[kSinceOffset], 8));
  since = length <= kNameBytes && kept > 0 ? kept : 0;
  if (length > kOldNameBytes || header != Header(name, since)) return Reading::kForeign;
  volumeName = name;
  return Reading::kOurs;
}

// Hands `visit` each slot of the ring whose check holds, in the ring's order, read a few
// kilobytes at a time: the whole day ring is 175 KB, and the process would keep that much heap.
// Stops at a read that fails.
template <typename Visit>
void EachSlot(HistoryFile& file, HistoryResolution resolution, Visit visit) {
  const int ring = static_cast<int>(resolution);
  const HistorySlotShape shape = ShapeOf(resolution);
  constexpr std::uint32_t kChunk = 128;
  std::array<std::uint8_t, kChunk * kSlotBytes> bytes;
  const auto count = static_cast<std::uint32_t>(shape.count);
  for (std::uint32_t first = 0; first < count; first += kChunk) {
    const std::uint32_t inChunk = std::min(kChunk, count - first);
    if (!file.ReadAt(RingOffset(ring) + std::uint64_t(first) * kSlotBytes,
                     std::span(bytes).first(inChunk * kSlotBytes))) {
      return;
    }
    for (std::uint32_t place = first; place < first + inChunk; ++place) {
      const std::uint8_t* at = &bytes[(place - first) * kSlotBytes];
      HistorySlot slot;
      slot.start = static_cast<std::int64_t>(Get(at, 8));
      slot.leastFree = Get(at + 8, 8);
      slot.mostFree = Get(at + 16, 8);
      slot.lastFree = Get(at + 24, 8);
      slot.total = Get(at + 32, 8);
      slot.readings = static_cast<std::uint32_t>(Get(at + 40, 4));
      // A place never written is all zeros, which fails the check as well.
      if (Get(at + kSlotChecked, 4) != SlotCheck(at, ring, place) || slot.readings == 0 ||
          slot.start < 0 || slot.start % shape.seconds != 0 || PlaceOf(ring, slot.start) != place) {
        continue;
      }
      visit(slot);
    }
  }
}

}  // namespace

std::uint64_t HistorySlotOffset(HistoryResolution resolution, std::int64_t start) {
  const int ring = static_cast<int>(resolution);
  return RingOffset(ring) + std::uint64_t(PlaceOf(ring, start)) * kSlotBytes;
}

std::uint64_t HistoryFileSize() {
  return RingOffset(kRings);
}

std::vector<HistorySlot> LastRound(std::vector<HistorySlot> slots, HistoryResolution resolution) {
  std::sort(slots.begin(), slots.end(),
            [](const HistorySlot& a, const HistorySlot& b) { return a.start < b.start; });
  if (slots.empty()) return slots;
  // A place the ring hasn't reached again since still holds its slot of an earlier round.
  const HistorySlotShape shape = ShapeOf(resolution);
  const std::int64_t oldest = slots.back().start - (shape.count - 1) * shape.seconds;
  slots.erase(slots.begin(), std::find_if(slots.begin(), slots.end(), [&](const HistorySlot& slot) {
                return slot.start >= oldest;
              }));
  return slots;
}

std::optional<HistoryArchive> HistoryArchive::Open(HistoryFiles& files, std::string_view path,
                                                   std::string_view volumeName, std::int64_t now) {
  OpenedHistoryFile opened = files.Open(path);
  if (opened.outcome == OpenedHistoryFile::Outcome::kOpened) {
    std::string name;
    std::int64_t since = 0;
    switch (ReadHeader(*opened.file, name, since)) {
      case Reading::kOurs:
        return HistoryArchive(std::move(opened.file), std::move(name), since);
      case Reading::kFailed:
        return std::nullopt;
      case Reading::kForeign:
        // Not ours, or ours no more: kept for a person to look at, never read as data.
        opened.file.reset();
        if (!files.SetAside(path)) return std::nullopt;
        break;
    }
  } else if (opened.outcome == OpenedHistoryFile::Outcome::kMissing) {
    files.MakeFolders(path.substr(0, path.find_last_of('\\') + 1));
  } else {
    return std::nullopt;
  }
  opened = files.Create(path, HistoryFileSize());
  if (opened.outcome != OpenedHistoryFile::Outcome::kOpened) return std::nullopt;
  // Should the header not get there, the file counts as foreign next time and goes aside.
  volumeName = volumeName.substr(0, std::min(volumeName.size(), kNameBytes));
  now = std::max<std::int64_t>(now, 0);
  if (!opened.file->WriteAt(0, Header(volumeName, now))) return std::nullopt;
  return HistoryArchive(std::move(opened.file), std::string(volumeName), now);
}

std::vector<HistorySlot> HistoryArchive::Read(HistoryResolution resolution) {
  std::vector<HistorySlot> slots;
  EachSlot(*file_, resolution, [&](const HistorySlot& slot) { slots.push_back(slot); });
  return slots;
}

std::optional<HistorySlot> HistoryArchive::Newest(HistoryResolution resolution) {
  std::optional<HistorySlot> newest;
  EachSlot(*file_, resolution, [&](const HistorySlot& slot) {
    if (!newest || slot.start > newest->start) newest = slot;
  });
  return newest;
}

bool HistoryArchive::Write(HistoryResolution resolution, const HistorySlot& slot) {
  const int ring = static_cast<int>(resolution);
  std::uint8_t bytes[kSlotBytes];
  Put(bytes, static_cast<std::uint64_t>(slot.start), 8);
  Put(bytes + 8, slot.leastFree, 8);
  Put(bytes + 16, slot.mostFree, 8);
  Put(bytes + 24, slot.lastFree, 8);
  Put(bytes + 32, slot.total, 8);
  Put(bytes + 40, slot.readings, 4);
  Put(bytes + kSlotChecked, SlotCheck(bytes, ring, PlaceOf(ring, slot.start)), 4);
  return file_->WriteAt(HistorySlotOffset(resolution, slot.start), bytes);
}

bool HistoryArchive::Flush() {
  return file_->Flush();
}

std::vector<HistorySlot> ReadHistory(HistoryFiles& files, std::string_view path,
                                     HistoryResolution resolution) {
  OpenedHistoryFile opened = files.Open(path);
  std::string name;
  std::int64_t since = 0;
  if (opened.outcome != OpenedHistoryFile::Outcome::kOpened ||
      ReadHeader(*opened.file, name, since) != Reading::kOurs) {
    return {};
  }
  return LastRound(HistoryArchive(std::move(opened.file), std::move(name), since).Read(resolution),
                   resolution);
}

}  // namespace quenora
