#include "ui/ScanMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace quenora {
namespace {

// A scan from (parent, bytes, own bytes); the root first, paths made up from the indexes.
DriveScan Scan(std::vector<std::tuple<int, std::uint64_t, std::uint64_t>> folders) {
  DriveScan scan;
  for (auto& [parent, bytes, own] : folders) {
    const auto at = static_cast<std::size_t>(parent);
    const std::string path = parent < 0 ? "D:\\"
                                        : (parent ? scan.folders[at].path + "\\" : "D:\\") + "F" +
                                              std::to_string(scan.folders.size());
    scan.folders.push_back(
        {path, parent < 0 ? 0 : scan.folders[at].depth + 1, parent, bytes, 0, own});
  }
  return scan;
}

// A tree of `count` folders: each level's folders under those before, sizes spread widely.
DriveScan Broad(std::size_t count) {
  std::vector<std::tuple<int, std::uint64_t, std::uint64_t>> rows{{-1, 0, 0}};
  unsigned seed = 7;
  for (std::size_t i = 1; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int parent = i <= 20    ? 0
                       : i <= 420 ? 1 + static_cast<int>(i % 20)
                                  : 21 + static_cast<int>(i % 400);
    rows.push_back({parent, 0, 1 + (seed >> 8) % 100000});
  }
  DriveScan scan = Scan(rows);
  // Sizes summed from the leaves up, with some left beyond the cap.
  for (std::size_t i = scan.folders.size(); i-- > 1;) {
    ScannedFolder& f = scan.folders[i];
    f.bytes += f.ownBytes + (i % 7 == 0 ? 5000 : 0);
    scan.folders[static_cast<std::size_t>(f.parent)].bytes += f.bytes;
  }
  return scan;
}

// What every map must hold: each tile inside its parent's inner rectangle; the tiles of a
// parent cover its inside exactly, without overlapping, each in proportion to its bytes.
void ExpectSound(const DriveScan& scan, const std::vector<MapTile>& tiles, MapRect area) {
  ASSERT_FALSE(tiles.empty());
  EXPECT_EQ(tiles[0].rect, area);
  std::vector<long long> covered(tiles.size(), 0);
  for (std::size_t i = 1; i < tiles.size(); ++i) {
    const MapTile& t = tiles[i];
    ASSERT_GE(t.parent, 0);
    const MapRect& in = tiles[static_cast<std::size_t>(t.parent)].inner;
    ASSERT_TRUE(t.rect.left >= in.left && t.rect.top >= in.top && t.rect.right <= in.right &&
                t.rect.bottom <= in.bottom)
        << i;
    covered[static_cast<std::size_t>(t.parent)] += 1LL * t.rect.Width() * t.rect.Height();
    for (std::size_t j = i + 1; j < tiles.size() && j < i + 400; ++j) {
      const MapRect& o = tiles[j].rect;
      if (tiles[j].parent != t.parent) continue;
      EXPECT_TRUE(o.left >= t.rect.right || o.right <= t.rect.left || o.top >= t.rect.bottom ||
                  o.bottom <= t.rect.top)
          << i << " overlaps " << j;
    }
    const ScannedFolder& f = scan.folders[static_cast<std::size_t>(t.folder)];
    const ScannedFolder& p = scan.folders[static_cast<std::size_t>(tiles[t.parent].folder)];
    if (t.kind == ScanRow::Kind::Folder) {
      const double want = static_cast<double>(in.Width()) * in.Height() *
                          static_cast<double>(f.bytes) / static_cast<double>(p.bytes);
      EXPECT_LE(std::abs(t.rect.Width() * t.rect.Height() - want),
                t.rect.Width() + t.rect.Height() + 1)
          << i;
    }
  }
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const MapRect& in = tiles[i].inner;
    EXPECT_EQ(covered[i], in.Width() > 0 ? 1LL * in.Width() * in.Height() : 0) << i;
  }
}

TEST(ScanMapTest, TilesNestInTheirParentsCoverThemAndKeepToTheirSizes) {
  const struct {
    const char* name;
    DriveScan scan;
    std::size_t tiles;  // 0: not counted
  } cases[] = {
      {"only the root", Scan({{-1, 500, 500}}), 1},
      {"an empty drive", Scan({{-1, 0, 0}, {0, 0, 0}}), 1},
      {"one folder and files", Scan({{-1, 900, 100}, {0, 800, 800}}), 3},
      {"a folder of nothing left out", Scan({{-1, 900, 0}, {0, 900, 0}, {0, 0, 0}}), 2},
      {"beyond the cap", Scan({{-1, 1000, 0}, {0, 600, 0}, {1, 200, 0}, {0, 100, 0}}), 6},
      {"a tree at the cap", Broad(20000), 0},
  };
  const MapRect area{10, 20, 1930, 1100};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<MapTile> tiles = LayOutScanMap(c.scan, area, 2, 16);
    ExpectSound(c.scan, tiles, area);
    if (c.tiles) {
      EXPECT_EQ(tiles.size(), c.tiles);
    }
  }
  // A single folder with nothing beside it fills its parent's inside, less the name's line.
  const auto one = LayOutScanMap(Scan({{-1, 900, 0}, {0, 900, 0}}), {0, 0, 200, 100}, 2, 16);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[1].rect, (MapRect{2, 18, 198, 98}));
}

TEST(ScanMapTest, TilesStayNearSquareAndTheInnermostIsFoundAtAPixel) {
  std::vector<std::tuple<int, std::uint64_t, std::uint64_t>> rows{{-1, 0, 0}};
  const std::uint64_t sizes[] = {60, 50, 40, 30, 20, 10, 8, 6, 4, 3, 2, 1};
  for (const std::uint64_t s : sizes) rows.push_back({0, s, s});
  DriveScan scan = Scan(rows);
  for (const std::uint64_t s : sizes) scan.folders[0].bytes += s;
  for (const MapRect area : {MapRect{0, 0, 1200, 600}, MapRect{0, 0, 400, 900}}) {
    const auto tiles = LayOutScanMap(scan, area, 0, 0);
    ASSERT_EQ(tiles.size(), 13u);
    for (const MapTile& t : tiles) {
      const double w = t.rect.Width(), h = t.rect.Height();
      EXPECT_LE(std::max(w / h, h / w), 3.0) << t.folder;
    }
  }
  const auto tiles = LayOutScanMap(Scan({{-1, 900, 0}, {0, 900, 0}}), {0, 0, 200, 100}, 2, 16);
  EXPECT_EQ(TileAt(tiles, 1, 1), 0);
  EXPECT_EQ(TileAt(tiles, 100, 50), 1);
  EXPECT_EQ(TileAt(tiles, 200, 50), -1);
}

TEST(ScanMapTest, GrowthIsWarmByItsShareShrinkingCoolAndOneScanByDepth) {
  using M = MapColour::Meaning;
  const FolderGrowth most{true, false, 100}, little{true, false, 1}, shrunk{true, false, -5},
      same{true, false, 0}, added{false, true, 0}, unknown{};
  const auto folder = ScanRow::Kind::Folder;
  EXPECT_EQ(TileColour(folder, 1, &most, 100), (MapColour{M::kGrew, 204, 52, 28, false}));
  EXPECT_EQ(TileColour(folder, 1, &little, 100), (MapColour{M::kGrew, 247, 205, 163, true}));
  EXPECT_EQ(TileColour(folder, 1, &added, 100).meaning, M::kGrew);
  EXPECT_EQ(TileColour(folder, 1, &shrunk, 100).meaning, M::kShrank);
  EXPECT_EQ(TileColour(folder, 2, &same, 100).meaning, M::kSame);
  EXPECT_EQ(TileColour(folder, 2, &unknown, 100).meaning, M::kSame);
  EXPECT_EQ(TileColour(ScanRow::Kind::Files, 2, &most, 100).meaning, M::kRest);
  const MapColour top = TileColour(folder, 1, nullptr, 0), deep = TileColour(folder, 3, nullptr, 0);
  EXPECT_EQ(top.meaning, M::kDepth);
  EXPECT_LT(top.red + top.green + top.blue, deep.red + deep.green + deep.blue);
}

TEST(ScanMapTest, RowsAndTilesFindEachOtherAndTheTipSaysWhatTheListSays) {
  const DriveScan scan = Scan({{-1, 1000, 100}, {0, 600, 0}, {1, 200, 200}, {0, 100, 0}});
  const auto tiles = LayOutScanMap(scan, {0, 0, 400, 300}, 2, 16);
  std::vector<ScanRow> rows(3);
  rows[0].path = rows[2].path = "D:\\";
  rows[1].path = "D:\\F1";
  rows[2].kind = ScanRow::Kind::Files;
  const auto tileOf = [&](ScanRow::Kind kind, int folder) {
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      if (tiles[i].kind == kind && tiles[i].folder == folder) return tiles[i];
    }
    ADD_FAILURE() << folder;
    return MapTile{};
  };
  // D:\F1\F2 isn't listed: its parent's row is.
  EXPECT_EQ(RowOfTile(rows, scan, tileOf(ScanRow::Kind::Folder, 2)), 1);
  EXPECT_EQ(RowOfTile(rows, scan, tileOf(ScanRow::Kind::Files, 0)), 2);
  EXPECT_EQ(RowOfTile(rows, scan, tileOf(ScanRow::Kind::Other, 1)), 1);
  const int files = TileOfRow(tiles, scan, rows[2]);
  ASSERT_GE(files, 0);
  EXPECT_EQ(tiles[static_cast<std::size_t>(files)].kind, ScanRow::Kind::Files);
  EXPECT_EQ(tiles[static_cast<std::size_t>(TileOfRow(tiles, scan, rows[1]))].folder, 1);

  const FolderGrowth grew{true, false, 1073741824, 0};
  EXPECT_EQ(TileTip(scan, tileOf(ScanRow::Kind::Other, 1), &grew, 2000.0, ",", "14:05"),
            "D:\\F1 (\xC3\xBC"
            "brige Ordner)\n400,0 Byte \xC2\xB7 20 %");
  EXPECT_EQ(TileTip(scan, tileOf(ScanRow::Kind::Folder, 1), &grew, 2000.0, ",", "14:05"),
            "D:\\F1\n600,0 Byte \xC2\xB7 30 %\n+1,0 GB seit 14:05");
}

}  // namespace
}  // namespace quenora
