#include "ui/HistoryWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "util/SizeText.h"

namespace quenora::win32 {

using namespace historywindow;

namespace {

// The summary over the chart, the ranges, the chart, the value at a time and the buttons. The
// chart and what lies right of or below it follow the window's size (ControlPlace).
constexpr ControlSpec kControls[] = {
    {kSummaryLbl, ControlKind::Label, "", {120, 120, 10560, 480}},
    {kRangeOpt, ControlKind::RadioButton, "&Tag", {120, 660, 840, 300}},
    {kRangeOpt + 1, ControlKind::RadioButton, "&Woche", {1020, 660, 1020, 300}},
    {kRangeOpt + 2, ControlKind::RadioButton, "&Monat", {2100, 660, 1020, 300}},
    {kRangeOpt + 3, ControlKind::RadioButton, "&Jahr", {3180, 660, 840, 300}},
    {kRangeOpt + 4, ControlKind::RadioButton, "&Alles", {4080, 660, 960, 300}},
    {kChart,
     ControlKind::Canvas,
     "Verlauf der freien Gr\xC3\xB6\xC3\x9F"
     "e",
     {120, 1020, 10560, 4590}},
    {kValueLbl, ControlKind::Label, "", {120, 5685, 10560, 255}},
    {kCsvBtn, ControlKind::Button, "&Als CSV speichern \xE2\x80\xA6", {120, 6105, 2280, 375}},
    {kCloseBtn,
     ControlKind::Button,
     "Schlie\xC3\x9F"
     "en",
     {9510, 6105, 1170, 375}},
};
// The smallest client area in twips: the buttons side by side, a chart still worth reading.
constexpr int kMinWidth = 6000, kMinHeight = 4200;

// IAccessible's identifier, spelled out: where oleacc's 64-bit import library is linked, its
// IID_IAccessible is that DLL's export of the name, not the GUID, and every question asked with
// it would fail.
constexpr GUID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The chart's own accessible object: the system's, with the summary as its value and the role
// of a chart. It holds the texts of the moment it was asked for, not the window.
class ChartAccessible final : public IAccessible {
 public:
  ChartAccessible(IAccessible* standard, std::wstring value)
      : standard_(standard), value_(std::move(value)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return standard_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) {
      standard_->Release();
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return standard_->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return standard_->GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l,
                                          DISPID* d) override {
    return standard_->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                   EXCEPINFO* e, UINT* a) override {
    return standard_->Invoke(d, r, l, f, p, v, e, a);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override {
    return standard_->get_accParent(p);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    return standard_->get_accChildCount(n);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
    return standard_->get_accChild(c, p);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* n) override {
    return standard_->get_accName(c, n);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* value) override {
    if (c.vt != VT_I4 || c.lVal != CHILDID_SELF) return standard_->get_accValue(c, value);
    if (!value) return E_POINTER;
    // oleaut32 is loaded by now (oleacc needs it); imported, it would come with the program's
    // start and bring COM's DLLs along, a megabyte of memory for a chart seldom opened.
    static const auto allocate =
        SystemFunction<decltype(SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    *value = allocate ? allocate(value_.c_str()) : nullptr;
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override {
    return standard_->get_accDescription(c, d);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* role) override {
    if (c.vt != VT_I4 || c.lVal != CHILDID_SELF || !role) return standard_->get_accRole(c, role);
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_CHART;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override {
    return standard_->get_accState(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override {
    return standard_->get_accHelp(c, h);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return standard_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return standard_->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* f) override { return standard_->get_accFocus(f); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* s) override {
    return standard_->get_accSelection(s);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return standard_->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override {
    return standard_->accSelect(f, c);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    return standard_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override {
    return standard_->accNavigate(d, s, e);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override {
    return standard_->accHitTest(x, y, c);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
    return standard_->accDoDefaultAction(c);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override {
    return standard_->put_accName(c, n);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override {
    return standard_->put_accValue(c, v);
  }

 private:
  ~ChartAccessible() = default;
  IAccessible* standard_;
  std::wstring value_;
  ULONG count_ = 1;
};

// oleacc and comdlg32 are loaded when first wanted: a program that sits in the tray never
// needs them.
LRESULT ChartObject(HWND chart, WPARAM wParam, const std::string& value) {
  static const auto create = SystemFunction<decltype(CreateStdAccessibleObject)>(
      L"oleacc.dll", "CreateStdAccessibleObject");
  static const auto result =
      SystemFunction<decltype(LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
  IAccessible* standard = nullptr;
  if (!create || !result ||
      FAILED(create(chart, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&standard))) ||
      !standard) {
    return 0;
  }
  auto* object = new ChartAccessible(standard, Widen(value));
  const LRESULT answer = result(kIAccessible, wParam, object);
  object->Release();
  return answer;
}

struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
using UniqueGdi = UniqueHandle<HGDIOBJ, GdiTraits>;

// A thin pen of the system colour `color`, solid, dotted or dashed. Thin pens are drawn
// pixel by pixel; a wide one is widened into a shape per segment, which for years of slots
// takes a multiple of the time.
enum class Stroke { kSolid = PS_SOLID, kDotted = PS_DOT, kDashed = PS_DASH };
UniqueGdi MakePen(int color, Stroke stroke) {
  return UniqueGdi(CreatePen(static_cast<int>(stroke), 1, GetSysColor(color)));
}

COLORREF Blend(COLORREF a, COLORREF b, int percentOfA) {
  const auto mix = [&](int shift) {
    const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    return static_cast<COLORREF>((x * percentOfA + y * (100 - percentOfA)) / 100) << shift;
  };
  return mix(0) | mix(8) | mix(16);
}

void DrawText(HDC dc, const std::string& text, int x, int y, UINT align) {
  const std::wstring wide = Widen(text);
  SetTextAlign(dc, align);
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE TextSize(HDC dc, const std::string& text) {
  const std::wstring wide = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

std::int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::span<const ControlSpec> HistoryWindowControls() {
  return kControls;
}

// Where the chart lies in the canvas and how times and sizes map to its pixels.
struct HistoryWindow::Plot {
  RECT area;  // the axes' inside
  TimeSpan span;
  double high;
  int X(double t) const {
    return area.left + static_cast<int>(std::lround((t - static_cast<double>(span.from)) *
                                                    (area.right - area.left) /
                                                    static_cast<double>(span.to - span.from)));
  }
  int Y(double bytes) const {
    return area.bottom - static_cast<int>(std::lround(bytes * (area.bottom - area.top) / high));
  }
};

HistoryWindow::HistoryWindow(HINSTANCE instance, HWND owner, SystemServices& system)
    : Window(instance, owner, {kDialogClass, kClientWidth, kClientHeight, kControls, true}),
      system_(system) {}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::ShowData(HistoryData data) {
  data_ = std::move(data);
  // The archive is read now, while the window is open, and let go with it.
  rings_ = data_.loadSlots ? data_.loadSlots() : HistoryRings{};
  separator_ = system_.DecimalSeparator();
  HistorySummaryFacts facts{data_.recordedSince, {}, {}, data_.timeLeftText, data_.limitText};
  if (!facts.recordedSince) facts.recordedSince = FirstSlotStart(rings_);
  FillWeekChange(facts, rings_[static_cast<int>(HistoryResolution::kHour)]);
  summary_ = HistorySummaryText(facts, Clock(), separator_);
  if (!hWnd()) {
    LoadCommonControls();
    if (!Load()) return;
    Show();
  } else {
    ShowWindow(hWnd(), IsIconic(hWnd()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hWnd());
  }
  SetWindowTextW(hWnd(), Widen(HistoryTitle(data_.letter, data_.label)).c_str());
  SetWindowTextW(Control(kSummaryLbl), Widen(summary_).c_str());
  ChooseRange(range_);
}

bool HistoryWindow::Form_Load() {
  TakeOwnersIcons();
  Subclass(Control(kChart), &HistoryWindow::ChartProc, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

std::int64_t HistoryWindow::Local(std::int64_t utc) const {
  // Offsets change at whole hours.
  const std::int64_t hour = utc >= 0 ? utc / 3600 : (utc - 3599) / 3600;
  HourOffset& known = offsets_[static_cast<std::size_t>(hour) % offsets_.size()];
  if (known.hour != hour) {
    // Seconds from 1970 and a FILETIME's 100 ns from 1601.
    constexpr std::int64_t kFrom1601 = 11644473600LL;
    const auto ticks = static_cast<ULONGLONG>((hour * 3600 + kFrom1601) * 10000000LL);
    FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, localFile{};
    SYSTEMTIME utcTime{}, local{};
    known = {hour, 0};
    if (FileTimeToSystemTime(&utcFile, &utcTime) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local) &&
        SystemTimeToFileTime(&local, &localFile)) {
      const ULONGLONG back =
          (static_cast<ULONGLONG>(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime;
      known.offset = static_cast<std::int64_t>(back / 10000000ULL) - kFrom1601 - hour * 3600;
    }
  }
  return utc + known.offset;
}

const std::vector<HistorySlot>& HistoryWindow::Shown() const {
  return rings_[static_cast<int>(resolution_)];
}

void HistoryWindow::ChooseRange(HistoryRange range) {
  range_ = range;
  const std::int64_t now = NowSeconds();
  resolution_ = ResolutionFor(range, rings_, now);
  span_ = SpanOf(range, rings_, now);
  // The long forecast looks ahead: a fifth more room right of now for its line.
  if (data_.fullAt && data_.limitBytes) span_.to += (span_.to - span_.from) / 5;
  for (int i = 0; i < 5; ++i) {
    HWND option = Control(kRangeOpt + i);
    const bool chosen = i == static_cast<int>(range);
    SendMessageW(option, BM_SETCHECK, chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab lands on the chosen range, as a click would have left it.
    const LONG style = GetWindowLongW(option, GWL_STYLE) & ~WS_TABSTOP;
    SetWindowLongW(option, GWL_STYLE, chosen ? style | WS_TABSTOP : style);
  }
  // The latest value is shown first: it is what the user came for.
  const auto& slots = Shown();
  Choose(slots.empty() ? std::nullopt : std::optional(slots.size() - 1));
}

void HistoryWindow::Choose(std::optional<std::size_t> slot) {
  chosen_ = slot;
  const std::string text = slot ? SlotText(Shown()[*slot], resolution_, Clock(), separator_) : "";
  SetWindowTextW(Control(kValueLbl), Widen(text).c_str());
  InvalidateRect(Control(kChart), nullptr, FALSE);
}

void HistoryWindow::RangeOpt_Click(int index) {
  ChooseRange(static_cast<HistoryRange>(index));
}

void HistoryWindow::Chart_KeyDown(int key) {
  const auto& slots = Shown();
  if (slots.empty()) return;
  // Only the slots in the range can be reached.
  const auto first = static_cast<std::size_t>(
      std::lower_bound(slots.begin(), slots.end(), span_.from,
                       [](const HistorySlot& s, std::int64_t t) { return s.start < t; }) -
      slots.begin());
  const std::size_t last = slots.size() - 1;
  std::size_t at = chosen_.value_or(last);
  switch (key) {
    case VK_LEFT:
      at = at > first ? at - 1 : first;
      break;
    case VK_RIGHT:
      at = std::min(at + 1, last);
      break;
    case VK_HOME:
      at = std::min(first, last);
      break;
    case VK_END:
      at = last;
      break;
    default:
      return;
  }
  Choose(at);
}

void HistoryWindow::Chart_MouseMove(int x) {
  RECT client{};
  GetClientRect(Control(kChart), &client);
  UniqueMemoryDc measure(CreateCompatibleDC(nullptr));
  const Plot plot = PlotOf(client, measure.get());
  if (x < plot.area.left || x > plot.area.right || Shown().empty()) return;
  const double t =
      static_cast<double>(span_.from) + static_cast<double>(x - plot.area.left) *
                                            static_cast<double>(span_.to - span_.from) /
                                            (plot.area.right - plot.area.left);
  const std::int64_t half = ShapeOf(resolution_).seconds / 2;
  const auto slot = SlotNear(Shown(), static_cast<std::int64_t>(t) - half);
  if (slot && Shown()[*slot].start + half >= span_.from && slot != chosen_) Choose(slot);
}

HistoryWindow::Plot HistoryWindow::PlotOf(const RECT& area, HDC dc) const {
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(Control(kSummaryLbl), WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  double high = 0;
  for (const HistorySlot& slot : Shown()) {
    if (slot.start >= span_.from) high = std::max(high, static_cast<double>(slot.mostFree));
  }
  high = std::max({high, data_.limitBytes.value_or(0), data_.earlyBytes.value_or(0)}) * 1.1;
  const auto ticks = SizeTicks(high, 6, separator_);
  int labelWidth = 0;
  for (const AxisTick& tick : ticks)
    labelWidth = std::max<int>(labelWidth, TextSize(dc, tick.text).cx);
  SelectObject(dc, old);
  const int pad = Px(90);
  Plot plot{{area.left + labelWidth + 2 * pad, area.top + metrics.tmHeight / 2 + pad,
             area.right - 2 * pad, area.bottom - metrics.tmHeight - 2 * pad},
            span_,
            ticks.empty() ? high : ticks.back().at};
  plot.area.right = std::max(plot.area.right, plot.area.left + 1);
  plot.area.bottom = std::max(plot.area.bottom, plot.area.top + 1);
  if (plot.span.to <= plot.span.from) plot.span.to = plot.span.from + 1;
  return plot;
}

void HistoryWindow::PaintChart(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ oldFont = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(Control(kSummaryLbl), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const Plot plot = PlotOf(client, dc);
  const RECT& a = plot.area;
  const int line = std::max(1, Dpi() / 96);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);

  // The grid and the axes' labels.
  UniqueGdi grid = MakePen(COLOR_3DSHADOW, Stroke::kSolid);
  HGDIOBJ oldPen = SelectObject(dc, grid.get());
  for (const AxisTick& tick : SizeTicks(plot.high * (1 - 1e-9), 6, separator_)) {
    const int y = plot.Y(tick.at);
    MoveToEx(dc, a.left, y, nullptr);
    LineTo(dc, a.right, y);
    DrawText(dc, tick.text, a.left - Px(90), y - metrics.tmHeight / 2, TA_RIGHT | TA_TOP);
  }
  const int most =
      std::max(2, static_cast<int>((a.right - a.left) / (metrics.tmAveCharWidth * 12)));
  for (const AxisTick& tick : TimeTicks(span_, Clock(), most)) {
    const int x = plot.X(tick.at);
    MoveToEx(dc, x, a.top, nullptr);
    LineTo(dc, x, a.bottom + Px(45));
    DrawText(dc, tick.text, x, a.bottom + Px(60), TA_CENTER | TA_TOP);
  }

  const int saved = SaveDC(dc);
  IntersectClipRect(dc, a.left, a.top - line * 2, a.right + 1, a.bottom + 1);
  const auto& slots = Shown();
  const std::int64_t length = ShapeOf(resolution_).seconds;
  // The band of the least and most free where a slot stands for several readings.
  UniqueGdi band(
      CreateSolidBrush(Blend(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW), 30)));
  for (const HistorySlot& slot : slots) {
    if (slot.readings < 2 || slot.start + length < span_.from) continue;
    RECT r{plot.X(static_cast<double>(slot.start)), plot.Y(static_cast<double>(slot.mostFree)),
           plot.X(static_cast<double>(slot.start + length)),
           plot.Y(static_cast<double>(slot.leastFree)) + 1};
    r.right = std::max(r.right, r.left + 1);
    FillRect(dc, &r, static_cast<HBRUSH>(band.get()));
  }
  // The free space, broken where nothing was recorded.
  UniqueGdi freePen = MakePen(COLOR_HIGHLIGHT, Stroke::kSolid);
  SelectObject(dc, freePen.get());
  std::vector<POINT> points;
  const auto flush = [&] {
    if (points.size() == 1) points.push_back({points[0].x + line, points[0].y});
    // Twice as thick as the other lines: thin lines laid side by side.
    for (int pass = 0; pass < 2 * line && !points.empty(); ++pass) {
      Polyline(dc, points.data(), static_cast<int>(points.size()));
      for (POINT& p : points) ++p.y;
    }
    points.clear();
  };
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const HistorySlot& slot = slots[i];
    if (slot.readings == 0 || slot.start + length < span_.from) continue;
    if (i > 0 && slot.start - slots[i - 1].start > length) flush();
    const POINT p{plot.X(static_cast<double>(slot.start + length / 2)),
                  plot.Y(static_cast<double>(slot.lastFree))};
    // Many slots on one pixel column: its least and most are all a line can show.
    points.push_back(p);
  }
  flush();

  // The levels across the chart, told apart by their strokes as well as their words.
  const auto level = [&](std::optional<double> bytes, Stroke stroke, const char* name) {
    if (!bytes) return;
    UniqueGdi pen = MakePen(COLOR_WINDOWTEXT, stroke);
    SelectObject(dc, pen.get());
    const int y = plot.Y(*bytes);
    MoveToEx(dc, a.left, y, nullptr);
    LineTo(dc, a.right, y);
    SelectObject(dc, grid.get());
    DrawText(dc, name, a.left + Px(60), y - Px(15), TA_LEFT | TA_BOTTOM);
  };
  level(data_.earlyBytes, Stroke::kDotted, "Vorwarnung");
  level(data_.limitBytes, Stroke::kSolid, "Alarmgrenze");

  // The long forecast: from the last value on down to the limit, dashed, with its date.
  if (data_.fullAt && data_.limitBytes && !slots.empty()) {
    const HistorySlot& last = slots.back();
    UniqueGdi pen = MakePen(COLOR_HIGHLIGHT, Stroke::kDashed);
    SelectObject(dc, pen.get());
    const POINT from{plot.X(static_cast<double>(last.start + length / 2)),
                     plot.Y(static_cast<double>(last.lastFree))};
    POINT to{plot.X(static_cast<double>(*data_.fullAt)), plot.Y(*data_.limitBytes)};
    // Ended at the chart's edge: far beyond it the line would only cost time.
    if (to.x > a.right && to.x > from.x) {
      to.y = from.y + MulDiv(to.y - from.y, a.right - from.x, to.x - from.x);
      to.x = a.right;
    }
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, grid.get());
    const std::string date = DayText(Local(*data_.fullAt), true);
    const int x = std::min<int>(to.x, a.right - TextSize(dc, date).cx / 2 - Px(30));
    DrawText(dc, date, x, std::min<int>(to.y, from.y) - Px(30), TA_CENTER | TA_BOTTOM);
  }

  // The slot whose value the line below says.
  if (chosen_ && *chosen_ < slots.size()) {
    const HistorySlot& slot = slots[*chosen_];
    const int x = plot.X(static_cast<double>(slot.start + length / 2));
    const int y = plot.Y(static_cast<double>(slot.lastFree));
    UniqueGdi pen = MakePen(COLOR_WINDOWTEXT, Stroke::kSolid);
    SelectObject(dc, pen.get());
    MoveToEx(dc, x, a.top, nullptr);
    LineTo(dc, x, a.bottom);
    const int r = 3 * line;
    SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
  }
  RestoreDC(dc, saved);

  if (slots.empty()) {
    DrawText(dc, "Noch nichts aufgezeichnet.", (a.left + a.right) / 2, (a.top + a.bottom) / 2,
             TA_CENTER | TA_TOP);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
  if (GetFocus() == Control(kChart)) {
    RECT focus = client;
    InflateRect(&focus, -line, -line);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK HistoryWindow::ChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) Unsubclass(chart, &HistoryWindow::ChartProc, 1);
  return Guarded(
      [&] {
        return reinterpret_cast<HistoryWindow*>(self)->ChartMessage(chart, message, wParam, lParam);
      },
      [&] { return DefaultSubclassed(chart, message, wParam, lParam); });
}

LRESULT HistoryWindow::ChartMessage(HWND chart, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // Drawn off screen and copied at once: no flicker while the window is sized.
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(chart, &paint);
      RECT client{};
      GetClientRect(chart, &client);
      UniqueMemoryDc memory(CreateCompatibleDC(dc));
      UniqueGdi picture(CreateCompatibleBitmap(dc, std::max<int>(client.right, 1),
                                               std::max<int>(client.bottom, 1)));
      if (memory && picture) {
        HGDIOBJ old = SelectObject(memory.get(), picture.get());
        PaintChart(memory.get(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
      }
      EndPaint(chart, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(chart, &client);
      PaintChart(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(chart, nullptr, FALSE);
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      Chart_KeyDown(static_cast<int>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(chart);
      Chart_MouseMove(static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_MOUSEMOVE:
      Chart_MouseMove(static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        if (const LRESULT object = ChartObject(chart, wParam, summary_)) return object;
      }
      break;
    default:
      break;
  }
  return DefaultSubclassed(chart, message, wParam, lParam);
}

TwipsRect HistoryWindow::ControlPlace(const ControlSpec& row) const {
  RECT client{};
  GetClientRect(hWnd(), &client);
  // The client area in twips, never below the table's least.
  const int width = std::max<int>(kMinWidth, MulDiv(client.right, 1440, Dpi()));
  const int height = std::max<int>(kMinHeight, MulDiv(client.bottom, 1440, Dpi()));
  const int dx = width - kClientWidth, dy = height - kClientHeight;
  TwipsRect rect = row.rect;
  switch (row.id) {
    case kSummaryLbl:
    case kValueLbl:
      rect.width += dx;
      if (row.id == kValueLbl) rect.top += dy;
      break;
    case kChart:
      rect.width += dx;
      rect.height += dy;
      break;
    case kCsvBtn:
      rect.top += dy;
      break;
    case kCloseBtn:
      rect.left += dx;
      rect.top += dy;
      break;
    default:
      break;
  }
  return rect;
}

LRESULT HistoryWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO) {
    RECT frame{0, 0, Px(kMinWidth), Px(kMinHeight)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
    auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
    info.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void HistoryWindow::Control_Command(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id >= kRangeOpt && id < kRangeOpt + 5) RangeOpt_Click(id - kRangeOpt);
  if (id == kCsvBtn) CsvBtn_Click();
  if (id == kCloseBtn) Unload(kClosedByUser);
}

void HistoryWindow::CsvBtn_Click() {
  static const auto save =
      SystemFunction<decltype(GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  if (!save) return;
  const std::wstring suggested = Widen(HistoryFileName(data_.letter, Local(NowSeconds())));
  wchar_t path[MAX_PATH] = {};
  suggested.copy(path, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hWnd();
  dialog.lpstrFilter = L"CSV-Dateien (*.csv)\0*.csv\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = L"csv";
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!save(&dialog)) return;
  const std::string text = HistoryCsv(Shown(), span_, Clock());
  UniqueFile file(
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  const bool done =
      file &&
      WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  if (!done) {
    system_.ShowMessage(Narrow(path) + " konnte nicht gespeichert werden.",
                        HistoryTitle(data_.letter, data_.label));
  }
}

void HistoryWindows::ShowHistory(char letter) {
  HistoryWindow* window = Of(letter);
  if (!window) {
    // A closed window is used again before a new one is made.
    const auto closed =
        std::find_if(windows_.begin(), windows_.end(), [](const auto& w) { return !w->hWnd(); });
    if (closed == windows_.end()) {
      windows_.push_back(
          std::make_unique<HistoryWindow>(owner_.Instance(), owner_.hWnd(), system_));
      window = windows_.back().get();
    } else {
      window = closed->get();
    }
  }
  HistoryData data = source_ ? source_->HistoryOf(letter) : HistoryData{};
  data.letter = letter;
  window->ShowData(std::move(data));
}

bool HistoryWindows::PreTranslateMessage(MSG& message) {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const auto& w) { return w->PreTranslateMessage(message); });
}

HistoryWindow* HistoryWindows::Of(char letter) const {
  for (const auto& window : windows_) {
    if (window->Drive() == letter) return window.get();
  }
  return nullptr;
}

}  // namespace quenora::win32
