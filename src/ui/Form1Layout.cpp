#include "ui/Form1Layout.h"

#include <cstdint>

namespace quenora {

using namespace form1;

namespace {

// In the layout as loaded, pages 2 to 4 lie side by side below the client area; ShapeForm
// stacks them on page 1.
constexpr TwipsRect LayerAsLoaded(int page) {
  return page == 1 ? TwipsRect{270, 420, 3792, 2952}
                   : TwipsRect{270 + (page - 2) * 3900, 3900, 3792, 2952};
}

constexpr TwipsRect kFrameRect{0, 0, 3792, 2952};
constexpr TwipsRect kPictureRect{240, 330, 720, 720};

constexpr ControlSpec kControls[] = {
    {kTabStrip1, ControlKind::TabStrip, 0, "", {90, 60, 4155, 3495}},
    {kLayerIdBase + 1, ControlKind::Layer, 0, "", LayerAsLoaded(1)},
    {kLayerIdBase + 2, ControlKind::Layer, 0, "", LayerAsLoaded(2)},
    {kLayerIdBase + 3, ControlKind::Layer, 0, "", LayerAsLoaded(3)},
    {kLayerIdBase + 4, ControlKind::Layer, 0, "", LayerAsLoaded(4)},

    // Page 1 "Laufwerke".
    {kFrame1 + 1, ControlKind::Frame, 1, "", kFrameRect},
    {kPicture1 + 1, ControlKind::Picture, 1, "", kPictureRect, false, PagePicture::Drives},
    {kLabel1 + 1,
     ControlKind::Label,
     1,
     "Welche Laufwerke sollen \xC3\xBC"
     "berwacht werden?",
     {1110, 330, 2475, 585}},
    {kLV, ControlKind::ListView, 1, "", {90, 1140, 3585, 1725}},

    // Page 2 "Testintervall".
    {kFrame1 + 2, ControlKind::Frame, 2, "", kFrameRect},
    {kPicture1 + 3, ControlKind::Picture, 2, "", kPictureRect, false, PagePicture::Interval},
    {kLabel1 + 4,
     ControlKind::Label,
     2,
     "In welchen Zeitabst\xC3\xA4nden sollen die Datentr\xC3\xA4ger \xC3\xBC"
     "berpr\xC3\xBC"
     "ft "
     "werden?",
     {1110, 330, 2175, 795}},
    {kTimerIntervalSlider, ControlKind::Slider, 2, "", {60, 1170, 3675, 495}},
    {kLabel1 + 2, ControlKind::CenteredLabel, 2, "10 Sekunden", {300, 1800, 3192, 312}},

    // Page 3 "Alarm".
    {kFrame1 + 3, ControlKind::Frame, 3, "", kFrameRect},
    {kPicture1 + 0, ControlKind::Picture, 3, "", kPictureRect, false, PagePicture::Alarm},
    {kLabel1 + 0,
     ControlKind::Label,
     3,
     "Ab wieviel MByte Rest-Speicher soll ein Alarm ausgel\xC3\xB6st werden?",
     {1110, 330, 1905, 735}},
    {kMemLimitSlider, ControlKind::Slider, 3, "", {90, 1260, 3615, 495}},
    {kLabel1 + 3, ControlKind::CenteredLabel, 3, "10 MByte", {330, 1800, 3255, 315}},
    // Between the limit's value and the acoustic warning, neither of them moved.
    {kNotifyChk, ControlKind::CheckBox, 3, "Mit &Benachrichtigung", {150, 2115, 2595, 255}},
    {kCheck1, ControlKind::CheckBox, 3, "&Mit akustischer Warnung", {150, 2370, 2595, 375}},

    // Page 4 "Autostart".
    {kFrame1 + 4, ControlKind::Frame, 4, "", kFrameRect},
    {kPicture1 + 2, ControlKind::Picture, 4, "", kPictureRect, false, PagePicture::Autostart},
    {kLabel1 + 5,
     ControlKind::Label,
     4,
     "Soll das Tool gleich zusammen mit Windows gestartet werden?",
     {1110, 330, 2055, 735}},
    {kAutoStartChk,
     ControlKind::CheckBox,
     4,
     "&Ja, automatisch starten lassen.",
     {240, 1260, 2985, 375}},

    // The column of buttons at the right edge, then the logo.
    {kBtn + 2, ControlKind::Button, 0, "&Hilfe", {4350, 60, 1155, 420}},
    {kBtn + 3, ControlKind::Button, 0, "&Info", {4350, 540, 1155, 420}},
    {kBtn + 1, ControlKind::Button, 0, "&Abbrechen", {4350, 1350, 1155, 420}},
    {kBtn + 4, ControlKind::Button, 0, "&Beenden", {4350, 1830, 1155, 420}},
    {kBtn + 0, ControlKind::Button, 0, "&OK", {4350, 2640, 1155, 420}, true},
    {kImage1, ControlKind::Logo, 0, "", {4350, 3120, 1155, 435}},
};

constexpr std::array<TabSpec, kPageCount> kTabs = {{
    {"Laufwerke",
     "Welche Laufwerke sollen \xC3\xBC"
     "berwacht werden?"},
    {"Testintervall",
     "In welchen Zeitabst\xC3\xA4nden soll gepr\xC3\xBC"
     "ft werden?"},
    {"Alarm", "Ab wieviel Restspeicher soll es Alarm geben?"},
    {"Autostart", "Soll das Tool beim Systemstart autom. starten?"},
}};

constexpr int kTabOrder[] = {
    kTabStrip1,      kLV,        kTimerIntervalSlider,
    kMemLimitSlider, kNotifyChk, kCheck1,
    kAutoStartChk,   kBtn + 0,   kBtn + 4,
    kBtn + 1,        kBtn + 3,   kBtn + 2,
};

constexpr SliderSpec kSliders[] = {
    {kTimerIntervalSlider, 1, 60, 3, 10, 1},
    {kMemLimitSlider, 1, 1000, 50, 10, 1},
};

constexpr std::array<std::string_view, 8> kPumItems = {
    "Laufwerk &\xC3\xB6"
    "ffnen",
    "-",
    "&Optionen",
    "&Hilfe",
    "-",
    "&Beenden",
    "-",
    "&Abbrechen",
};

}  // namespace

std::span<const ControlSpec> Form1Controls() {
  return kControls;
}

const ControlSpec* FindControl(int id) {
  for (const ControlSpec& control : kControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const std::array<TabSpec, kPageCount>& Form1Tabs() {
  return kTabs;
}
std::span<const int> Form1TabOrder() {
  return kTabOrder;
}
std::span<const SliderSpec> Form1Sliders() {
  return kSliders;
}
const std::array<std::string_view, 8>& PumItems() {
  return kPumItems;
}

std::string IntervalDisplayText(int seconds) {
  return std::to_string(seconds) + " Sekunden";
}
std::string LimitDisplayText(int megabytes) {
  return std::to_string(megabytes) + " Mbyte";
}

int TwipsToPixels(int twips, int dpi) {
  // Rounded half away from zero, in 64 bits: no overflow for any twips value.
  const std::int64_t scaled = std::int64_t{twips} * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

}  // namespace quenora
