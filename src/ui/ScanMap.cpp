#include "ui/ScanMap.h"

#include <algorithm>
#include <cmath>

#include "util/SizeText.h"
#include "util/Text.h"

namespace quenora {

namespace {

// An item to lay out: what it is and how many bytes it stands for.
struct Item {
  ScanRow::Kind kind;
  int folder;
  std::uint64_t bytes;
};

struct Box {
  double left, top, right, bottom;
};

MapRect Round(const Box& box) {
  // Neighbours share their edge's exact value, so rounding each edge leaves neither gap nor
  // overlap between them.
  return {static_cast<int>(std::lround(box.left)), static_cast<int>(std::lround(box.top)),
          static_cast<int>(std::lround(box.right)), static_cast<int>(std::lround(box.bottom))};
}

// The worst ratio of long to short side in a row of areas from `most` down to `least`, summing
// to `sum`, laid along a side of length `side`.
double Worst(double most, double least, double sum, double side) {
  const double side2 = side * side, sum2 = sum * sum;
  return std::max(side2 * most / sum2, sum2 / (side2 * least));
}

// Squarified: the items, largest first, go in rows along the box's shorter side; a row takes
// the next item as long as that brings its worst tile nearer a square.
template <typename Place>
void Squarify(std::span<const Item> items, Box box, const Place& place) {
  double left = 0;
  for (const Item& item : items) left += static_cast<double>(item.bytes);
  std::size_t next = 0;
  while (next < items.size()) {
    const double width = box.right - box.left, height = box.bottom - box.top;
    const double scale = width * height / left;  // pixels per byte
    const double side = std::min(width, height);
    std::size_t end = next;
    double rowBytes = 0, worst = 0;
    while (end < items.size()) {
      const double bytes = rowBytes + static_cast<double>(items[end].bytes);
      const double ratio =
          Worst(static_cast<double>(items[next].bytes) * scale,
                static_cast<double>(items[end].bytes) * scale, bytes * scale, side);
      if (end > next && ratio > worst) break;
      worst = ratio;
      rowBytes = bytes;
      ++end;
    }
    const bool last = end == items.size();
    // The row is a strip across the shorter side; the last one takes what is left exactly.
    Box strip = box;
    if (width >= height) {
      strip.right = last ? box.right : box.left + width * rowBytes / left;
      box.left = strip.right;
    } else {
      strip.bottom = last ? box.bottom : box.top + height * rowBytes / left;
      box.top = strip.bottom;
    }
    double done = 0;
    for (std::size_t i = next; i < end; ++i) {
      Box tile = strip;
      const double from = done;
      done += static_cast<double>(items[i].bytes);
      const bool closing = i + 1 == end;
      if (width >= height) {
        const double h = strip.bottom - strip.top;
        tile.top = strip.top + h * from / rowBytes;
        tile.bottom = closing ? strip.bottom : strip.top + h * done / rowBytes;
      } else {
        const double w = strip.right - strip.left;
        tile.left = strip.left + w * from / rowBytes;
        tile.right = closing ? strip.right : strip.left + w * done / rowBytes;
      }
      place(items[i], tile);
    }
    left -= rowBytes;
    next = end;
  }
}

class Layout {
 public:
  Layout(const DriveScan& scan, int border, int header)
      : folders_(scan.folders),
        first_(scan.folders.size() + 1, 0),
        border_(border),
        header_(header) {
    // Each folder's kept folders side by side, found from its first: one list for the whole
    // tree rather than one for each folder. A parent index that doesn't come before its folder
    // is skipped rather than trusted.
    const auto parentOf = [&](std::size_t i) {
      const int parent = folders_[i].parent;
      return parent >= 0 && static_cast<std::size_t>(parent) < i ? static_cast<std::size_t>(parent)
                                                                 : folders_.size();
    };
    for (std::size_t i = 1; i < folders_.size(); ++i) {
      if (parentOf(i) < folders_.size()) ++first_[parentOf(i) + 1];
    }
    for (std::size_t i = 1; i < first_.size(); ++i) first_[i] += first_[i - 1];
    children_.resize(first_.back());
    std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
    for (std::size_t i = 1; i < folders_.size(); ++i) {
      if (parentOf(i) < folders_.size()) children_[next[parentOf(i)]++] = static_cast<int>(i);
    }
  }

  void Add(const Item& item, const Box& box, int parent, std::size_t level) {
    const MapRect rect = Round(box);
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    const int index = static_cast<int>(tiles.size());
    tiles.push_back({item.kind, item.folder, parent, rect, {}});
    if (item.kind != ScanRow::Kind::Folder) return;
    const auto folder = static_cast<std::size_t>(item.folder);
    if (first_[folder] == first_[folder + 1]) return;

    // What it holds: its kept folders, its own files, and the rest, its folders beyond the cap.
    // Each level has a list of its own, used again for every folder on it.
    if (scratch_.size() <= level) scratch_.resize(level + 1);
    std::vector<Item>& items = scratch_[level];
    items.clear();
    std::uint64_t held = 0;
    for (std::size_t c = first_[folder]; c < first_[folder + 1]; ++c) {
      const std::uint64_t bytes = folders_[static_cast<std::size_t>(children_[c])].bytes;
      held += bytes;
      if (bytes > 0) items.push_back({ScanRow::Kind::Folder, children_[c], bytes});
    }
    const ScannedFolder& self = folders_[folder];
    if (self.ownBytes > 0) items.push_back({ScanRow::Kind::Files, item.folder, self.ownBytes});
    held += self.ownBytes;
    if (self.bytes > held) items.push_back({ScanRow::Kind::Other, item.folder, self.bytes - held});
    if (items.empty()) return;

    Box inside{box.left + border_, box.top + border_, box.right - border_, box.bottom - border_};
    // The name's line only where it leaves the inside most of the tile.
    if (rect.Height() >= 3 * header_ && rect.Width() >= 3 * header_) inside.top += header_;
    if (inside.right - inside.left < 1 || inside.bottom - inside.top < 1) return;
    tiles[static_cast<std::size_t>(index)].inner = Round(inside);
    // Largest first; the same sizes in the scan's order, so that a picture never shuffles.
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
      return a.bytes != b.bytes ? a.bytes > b.bytes
             : a.kind != b.kind ? a.kind < b.kind
                                : a.folder < b.folder;
    });
    Squarify(std::span<const Item>(items), inside, [&](const Item& child, const Box& childBox) {
      Add(child, childBox, index, level + 1);
    });
  }

  std::vector<MapTile> tiles;

 private:
  const std::vector<ScannedFolder>& folders_;
  std::vector<std::size_t> first_;
  std::vector<int> children_;
  std::vector<std::vector<Item>> scratch_;
  double border_, header_;
};

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
}

std::uint8_t Mix(int from, int to, double part) {
  return static_cast<std::uint8_t>(std::lround(from + (to - from) * part));
}

}  // namespace

std::vector<MapTile> LayOutScanMap(const DriveScan& scan, MapRect area, int border, int header) {
  if (scan.folders.empty()) return {};
  Layout layout(scan, std::max(border, 0), std::max(header, 0));
  layout.tiles.reserve(scan.folders.size() + scan.folders.size() / 2);
  layout.Add({ScanRow::Kind::Folder, 0, scan.folders[0].bytes},
             {static_cast<double>(area.left), static_cast<double>(area.top),
              static_cast<double>(area.right), static_cast<double>(area.bottom)},
             -1, 0);
  return std::move(layout.tiles);
}

int TileAt(std::span<const MapTile> tiles, int x, int y) {
  // Each tile comes before those inside it: the last one that holds the pixel is innermost.
  for (std::size_t i = tiles.size(); i-- > 0;) {
    const MapRect& r = tiles[i].rect;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

MapColour TileColour(ScanRow::Kind kind, int depth, const FolderGrowth* growth,
                     std::int64_t mostGrowth) {
  using Meaning = MapColour::Meaning;
  if (kind != ScanRow::Kind::Folder) {
    return kind == ScanRow::Kind::Files ? MapColour{Meaning::kRest, 200, 200, 200, true}
                                        : MapColour{Meaning::kRest, 176, 176, 176, true};
  }
  if (!growth) {
    // One hue, lighter with each level, so that the nesting reads without a second scan.
    const double light = std::clamp(depth, 0, kScanDepth) / static_cast<double>(kScanDepth);
    return {Meaning::kDepth, Mix(150, 226, light), Mix(174, 234, light), Mix(204, 244, light),
            true};
  }
  if (growth->added || (growth->compared && growth->bytes > 0)) {
    // A new folder may be an old one moved: it gets the faintest warmth, not its whole size.
    const double share =
        growth->added || mostGrowth <= 0
            ? 0
            : std::min(1.0, static_cast<double>(growth->bytes) / static_cast<double>(mostGrowth));
    // The square root lifts the small shares, which the eye would otherwise lose.
    const double strength = std::sqrt(share);
    return {Meaning::kGrew, Mix(252, 204, strength), Mix(222, 52, strength), Mix(178, 28, strength),
            strength < 0.6};
  }
  if (growth->compared && growth->bytes < 0) return {Meaning::kShrank, 140, 184, 232, true};
  return {Meaning::kSame, 226, 224, 214, true};
}

std::string TileName(const DriveScan& scan, const MapTile& tile) {
  if (tile.kind == ScanRow::Kind::Files) return "(Dateien)";
  if (tile.kind == ScanRow::Kind::Other)
    return "(\xC3\xBC"
           "brige Ordner)";
  return NameOf(scan.folders[static_cast<std::size_t>(tile.folder)].path);
}

std::string TileTip(const DriveScan& scan, const MapTile& tile, const FolderGrowth* growth,
                    std::optional<double> totalBytes, std::string_view decimalSeparator,
                    std::string_view previousTime) {
  const ScannedFolder& folder = scan.folders[static_cast<std::size_t>(tile.folder)];
  std::uint64_t bytes = folder.bytes;
  std::string path = folder.path;
  std::string change;
  if (tile.kind == ScanRow::Kind::Folder) {
    if (growth && growth->added) change = "neu";
    if (growth && growth->compared)
      change = GrowthText(growth->bytes, decimalSeparator, previousTime);
  } else if (tile.kind == ScanRow::Kind::Files) {
    bytes = folder.ownBytes;
    path += " (Dateien)";
    if (growth && growth->compared) {
      change = GrowthText(growth->ownBytes, decimalSeparator, previousTime);
    }
  } else {
    // The rest of a folder: what its kept folders and files leave.
    std::uint64_t held = folder.ownBytes;
    for (const ScannedFolder& other : scan.folders) {
      if (&other != &folder && other.parent == tile.folder) held += other.bytes;
    }
    bytes = folder.bytes - std::min(folder.bytes, held);
    path +=
        " (\xC3\xBC"
        "brige Ordner)";
  }
  std::string text = Cat({path, "\n", SizeText(static_cast<double>(bytes), decimalSeparator)});
  if (const std::string share = ShareText(bytes, totalBytes); !share.empty()) {
    text += Cat({" \xC2\xB7 ", share});  // ·
  }
  if (!change.empty()) text += Cat({"\n", change});
  return text;
}

int RowOfTile(std::span<const ScanRow> rows, const DriveScan& scan, const MapTile& tile) {
  const auto find = [&](ScanRow::Kind kind, const std::string& path) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].kind == kind && rows[i].path == path) return static_cast<int>(i);
    }
    return -1;
  };
  int folder = tile.folder;
  if (tile.kind != ScanRow::Kind::Folder) {
    if (const int row = find(tile.kind, scan.folders[static_cast<std::size_t>(folder)].path);
        row >= 0) {
      return row;
    }
  }
  // The list shows a few levels of the biggest folders: a smaller one is found in its parent.
  while (folder >= 0 && static_cast<std::size_t>(folder) < scan.folders.size()) {
    const ScannedFolder& f = scan.folders[static_cast<std::size_t>(folder)];
    if (const int row = find(ScanRow::Kind::Folder, f.path); row >= 0) return row;
    if (f.parent >= folder) break;
    folder = f.parent;
  }
  return -1;
}

int TileOfRow(std::span<const MapTile> tiles, const DriveScan& scan, const ScanRow& row) {
  int own = -1;
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    if (scan.folders[static_cast<std::size_t>(tiles[i].folder)].path != row.path) continue;
    if (tiles[i].kind == row.kind) return static_cast<int>(i);
    if (tiles[i].kind == ScanRow::Kind::Folder) own = static_cast<int>(i);
  }
  return own;
}

}  // namespace quenora
