#pragma once
// The scan window's map of a drive: each kept folder a rectangle whose area is its size,
// nested in its parent, and the colour that says how it changed since the earlier scan.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DriveScan.h"
#include "ui/ScanRows.h"

namespace quenora {

// Pixels: left and top inside, right and bottom just outside.
struct MapRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const MapRect&, const MapRect&) = default;
};

struct MapTile {
  // A kept folder, the files right in one, or its folders beyond the cap on kept folders.
  ScanRow::Kind kind = ScanRow::Kind::Folder;
  int folder = 0;   // in DriveScan::folders: the folder, or the one the files or folders lie in
  int parent = -1;  // the enclosing tile in the list; -1 for the root
  MapRect rect;
  // Where its tiles lie: the rectangle less a border, and a line for the name where there is
  // room for one; empty for a tile with none inside.
  MapRect inner;
};

// The tiles of `scan` in `area`, each tile before the ones inside it. `border` pixels separate
// a folder from what it holds; a folder tall enough gets a line of `header` pixels for its name.
// Tiles that round to nothing are left out.
std::vector<MapTile> LayOutScanMap(const DriveScan& scan, MapRect area, int border, int header);

// The innermost tile at a pixel; -1 outside the map.
int TileAt(std::span<const MapTile> tiles, int x, int y);

// How a tile is coloured and what that says.
struct MapColour {
  enum class Meaning { kGrew, kShrank, kSame, kDepth, kRest };
  Meaning meaning = Meaning::kSame;
  std::uint8_t red = 0, green = 0, blue = 0;
  bool darkText = true;  // black names read on it; white otherwise
  friend bool operator==(const MapColour&, const MapColour&) = default;
};

// A tile's colour: growth warm, the stronger the larger its part of `mostGrowth` (the largest
// growth of any folder, the root's included); shrinking cool, no change neutral. Without an
// earlier scan (`growth` null) the colour follows the depth. Files and "übrige" are grey.
MapColour TileColour(ScanRow::Kind kind, int depth, const FolderGrowth* growth,
                     std::int64_t mostGrowth);

// The name a tile shows: the folder's, "(Dateien)" or "(übrige Ordner)".
std::string TileName(const DriveScan& scan, const MapTile& tile);
// What hovering a tile tells, as the list says it: path, size, share and growth on lines.
std::string TileTip(const DriveScan& scan, const MapTile& tile, const FolderGrowth* growth,
                    std::optional<double> totalBytes, std::string_view decimalSeparator,
                    std::string_view previousTime);

// The list's row for a tile: its own, or else its nearest ancestor's; -1 if none shows.
int RowOfTile(std::span<const ScanRow> rows, const DriveScan& scan, const MapTile& tile);
// The tile for a list row: its own, or else its folder's; -1 if the map has none.
int TileOfRow(std::span<const MapTile> tiles, const DriveScan& scan, const ScanRow& row);

}  // namespace quenora
