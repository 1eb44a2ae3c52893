#pragma once
// HistoryWindow: "Verlauf von D: »DATEN«", a drive's recorded free space drawn over time, with
// its levels and the long forecast; one window per drive, opened through a HistoryOpener.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/HistoryChart.h"
#include "platform/SystemServices.h"
#include "ui/HistorySource.h"
#include "ui/Window.h"

namespace quenora::win32 {

namespace historywindow {
inline constexpr int kSummaryLbl = 600;
inline constexpr int kRangeOpt = 601;  // "&Tag" .. "&Alles": 601 to 605
inline constexpr int kChart = 606;
inline constexpr int kValueLbl = 607;
inline constexpr int kCsvBtn = 608;
inline constexpr int kCloseBtn = 609;
inline constexpr int kClientWidth = 10800;
inline constexpr int kClientHeight = 6600;
}  // namespace historywindow

std::span<const ControlSpec> HistoryWindowControls();

// Opens a drive's history window, or brings it to the front.
class HistoryOpener {
 public:
  virtual void ShowHistory(char letter) = 0;

 protected:
  ~HistoryOpener() = default;
};

class HistoryWindow final : public Window {
 public:
  HistoryWindow(HINSTANCE instance, HWND owner, SystemServices& system);
  ~HistoryWindow() override;

  // Shows `data` in the window, opening it if it is closed.
  void ShowData(HistoryData data);
  char Drive() const { return hWnd() ? data_.letter : 0; }
  // What the line below the chart says, and what a screen reader hears the chart's value is.
  std::string SummaryText() const { return summary_; }

  void RangeOpt_Click(int index);
  void Chart_KeyDown(int key);
  void Chart_MouseMove(int x);
  void CsvBtn_Click();

 private:
  struct Plot;
  bool Form_Load() override;
  void Control_Command(int id, int code) override;
  TwipsRect ControlPlace(const ControlSpec& row) const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  static LRESULT CALLBACK ChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
  LRESULT ChartMessage(HWND chart, UINT message, WPARAM wParam, LPARAM lParam);
  void PaintChart(HDC dc, const RECT& area);
  Plot PlotOf(const RECT& area, HDC dc) const;
  const std::vector<HistorySlot>& Shown() const;
  void ChooseRange(HistoryRange range);
  void Choose(std::optional<std::size_t> slot);
  std::int64_t Local(std::int64_t utc) const;
  LocalClock Clock() const {
    return {[](const void* self, std::int64_t utc) {
              return static_cast<const HistoryWindow*>(self)->Local(utc);
            },
            this};
  }

  SystemServices& system_;
  HistoryData data_;
  HistoryRings rings_;
  HistoryRange range_ = HistoryRange::kWoche;
  HistoryResolution resolution_ = HistoryResolution::kHour;
  TimeSpan span_;
  std::optional<std::size_t> chosen_;  // the slot whose value is shown
  std::string summary_, separator_;
  // The local offsets of the hours asked for last, each in the place its hour picks: the
  // system's conversion is slow, and the chart asks it for every mark of every picture.
  struct HourOffset {
    std::int64_t hour = INT64_MIN, offset = 0;
  };
  mutable std::array<HourOffset, 256> offsets_{};
};

// The history windows of the drives, one per drive.
class HistoryWindows final : public HistoryOpener {
 public:
  // `source` may be null while the program records nothing: the window then shows none.
  HistoryWindows(Window& owner, HistorySource* source, SystemServices& system)
      : owner_(owner), source_(source), system_(system) {}
  void ShowHistory(char letter) override;
  bool PreTranslateMessage(MSG& message);
  // The open window of `letter`, or null.
  HistoryWindow* Of(char letter) const;

 private:
  Window& owner_;
  HistorySource* source_;
  SystemServices& system_;
  std::vector<std::unique_ptr<HistoryWindow>> windows_;
};

}  // namespace quenora::win32
