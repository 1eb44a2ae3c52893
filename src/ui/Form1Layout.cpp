#include "ui/Form1Layout.h"

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

// The container id of page n.
constexpr int Page(int n) {
  return kLayerIdBase + n;
}
constexpr TwipsRect kPictureRect{240, 330, 720, 720};
constexpr std::string_view kPolicyNoteText = "Vom Administrator festgelegt";

// A slider is named by the question above it, in the same words, so that a screen reader says
// what it sets whether it reads the slider's own text or the label before it.
constexpr std::string_view kIntervalQuestion =
    "In welchen Zeitabst\xC3\xA4nden sollen die Datentr\xC3\xA4ger \xC3\xBC"
    "berpr\xC3\xBC"
    "ft werden?";
constexpr std::string_view kLimitQuestion =
    "Ab wieviel MByte Rest-Speicher soll ein Alarm ausgel\xC3\xB6st werden?";
// The logo is named by what a click on it does.
constexpr std::string_view kLogoName = "Weitere Tarnwick-Programme kennenlernen";

constexpr ControlSpec kControls[] = {
    {kTabStrip1, ControlKind::TabStrip, "Optionsseiten", {90, 60, 4155, 3495}},
    {kLayerIdBase + 1, ControlKind::Layer, "Laufwerke", LayerAsLoaded(1)},
    {kLayerIdBase + 2, ControlKind::Layer, "Testintervall", LayerAsLoaded(2)},
    {kLayerIdBase + 3, ControlKind::Layer, "Alarm", LayerAsLoaded(3)},
    {kLayerIdBase + 4, ControlKind::Layer, "Autostart", LayerAsLoaded(4)},

    // Page 1 "Laufwerke".
    {kFrame1 + 1, ControlKind::Frame, "", kFrameRect, Page(1)},
    {kPicture1 + 1, ControlKind::Icon, "Festplatte", kPictureRect, Page(1)},
    {kLabel1 + 1,
     ControlKind::Label,
     "Welche Laufwerke sollen \xC3\xBC"
     "berwacht werden?",
     {1110, 330, 2475, 585},
     Page(1)},
    // What the list's context menu holds, which nothing else on the page tells: two lines from
    // the question's empty third line down to the list, where the policy note shows instead
    // while there is one. Made after the question, it paints after it.
    {kDriveMenuHint,
     ControlKind::Label,
     "Rechtsklick auf ein Laufwerk: Grenze, was Platz belegt",
     {1110, 735, 2565, 390},
     Page(1)},
    {kLV, ControlKind::ListView, "Laufwerke", {90, 1140, 3585, 1725}, Page(1)},

    // Page 2 "Testintervall".
    {kFrame1 + 2, ControlKind::Frame, "", kFrameRect, Page(2)},
    {kPicture1 + 3, ControlKind::Icon, "Uhr mit Kalender", kPictureRect, Page(2)},
    {kLabel1 + 4, ControlKind::Label, kIntervalQuestion, {1110, 330, 2175, 795}, Page(2)},
    {kTimerIntervalSlider, ControlKind::Slider, kIntervalQuestion, {60, 1170, 3675, 495}, Page(2)},
    {kLabel1 + 2, ControlKind::CenteredLabel, "10 Sekunden", {300, 1800, 3192, 312}, Page(2)},

    // Page 3 "Alarm".
    {kFrame1 + 3, ControlKind::Frame, "", kFrameRect, Page(3)},
    {kPicture1 + 0, ControlKind::Icon, "Tortendiagramm", kPictureRect, Page(3)},
    {kLabel1 + 0, ControlKind::Label, kLimitQuestion, {1110, 330, 1905, 735}, Page(3)},
    {kMemLimitSlider, ControlKind::Slider, kLimitQuestion, {90, 1260, 3615, 495}, Page(3)},
    {kLabel1 + 3, ControlKind::CenteredLabel, "10 MByte", {330, 1800, 3255, 315}, Page(3)},
    // Between the limit's value and the acoustic warning, neither of them moved.
    {kNotifyChk, ControlKind::CheckBox, "Mit Be&nachrichtigung", {150, 2115, 2595, 255}, Page(3)},
    {kCheck1, ControlKind::CheckBox, "&Mit akustischer Warnung", {150, 2370, 2595, 375}, Page(3)},

    // Page 4 "Autostart".
    {kFrame1 + 4, ControlKind::Frame, "", kFrameRect, Page(4)},
    {kPicture1 + 2, ControlKind::Icon,
     "Zahnr\xC3\xA4"
     "der",
     kPictureRect, Page(4)},
    {kLabel1 + 5,
     ControlKind::Label,
     "Soll das Tool gleich zusammen mit Windows gestartet werden?",
     {1110, 330, 2055, 735},
     Page(4)},
    {kAutoStartChk,
     ControlKind::CheckBox,
     "&Ja, automatisch starten lassen.",
     {240, 1260, 2985, 375},
     Page(4)},

    // Where an administrator fixed a page's setting, a line in the page's free space says so:
    // between the question and the list, under the interval, between the question and the
    // slider, under the box. Hidden otherwise.
    {kPolicyNote + 1, ControlKind::Label, kPolicyNoteText, {1110, 930, 2475, 195}, Page(1)},
    {kPolicyNote + 2, ControlKind::CenteredLabel, kPolicyNoteText, {300, 2190, 3192, 255},
     Page(2)},
    {kPolicyNote + 3, ControlKind::Label, kPolicyNoteText, {1110, 1065, 2595, 195}, Page(3)},
    {kPolicyNote + 4, ControlKind::Label, kPolicyNoteText, {240, 1710, 2985, 255}, Page(4)},

    // The column of buttons at the right edge, then the logo.
    {kBtn + 2, ControlKind::Button, "&Hilfe", {4350, 60, 1155, 420}},
    {kBtn + 3, ControlKind::Button, "&Info", {4350, 540, 1155, 420}},
    {kBtn + 1, ControlKind::Button, "&Abbrechen", {4350, 1350, 1155, 420}},
    {kBtn + 4, ControlKind::Button, "&Beenden", {4350, 1830, 1155, 420}},
    {kBtn + 0, ControlKind::Button, "&OK", {4350, 2640, 1155, 420}, 0, true},
    {kImage1, ControlKind::Logo, kLogoName, {4350, 3120, 1155, 435}},
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
  return FindControl(kControls, id);
}

TwipsRect ShapedPlace(const ControlSpec& row) {
  if (row.kind != ControlKind::Layer) return row.rect;
  const TwipsRect first = LayerAsLoaded(1);
  return {first.left, first.top, kFrameRect.width, kFrameRect.height};
}

int LayerOf(const ControlSpec& row) {
  return row.container == 0 ? 0 : row.container - kLayerIdBase;
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

}  // namespace quenora
