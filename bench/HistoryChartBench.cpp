// The history chart drawn at 1920x1080 from ten years of daily and 90 days of hourly slots, each
// range against a plain fill of the same size; must stay under 50 ms a picture.
//
//   history_bench            the times
//   history_bench show [n]   the window with range n (0 Tag .. 4 Alles) open, to look at

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Fakes.h"
#include "GeneratedHistory.h"
#include "ui/HistoryWindow.h"

using namespace quenora;
using namespace quenora::win32;

namespace {

// What the window shows to be looked at (and pictured for the help): six weeks of a drive that
// loses about 2.6 GB a day in a weekly rhythm, with one big install, a night off and its fill
// foreseen on to the limit; consistent with the first line, as a real drive's would be.
HistoryRings ShownHistory(std::int64_t now, std::int64_t since) {
  HistoryRings rings;
  for (int r = 0; r < 3; ++r) {
    const HistorySlotShape shape = kHistoryShapes[r];
    for (std::int64_t start = since / shape.seconds * shape.seconds; start <= now;
         start += shape.seconds) {
      const double days = static_cast<double>(now - start) / 86400;
      if (r < 2 && days > 2.2 && days < 2.6) continue;  // switched off for a night
      const double gb = 118 + 2.6 * days + 1.2 * std::sin(days * 6.283 / 7) + (days > 9 ? 6 : 0);
      const auto free = static_cast<std::uint64_t>(gb * 1073741824.0);
      const std::uint64_t spread = r == 0 ? 0 : static_cast<std::uint64_t>(r) << 30;  // 1 GB an hour, 2 a day
      rings[static_cast<std::size_t>(r)].push_back(
          {start, free - spread, free + spread, free, 512ull << 30, r == 0 ? 1u : 12u});
    }
  }
  return rings;
}

struct Source : HistorySource {
  HistoryData HistoryOf(char letter) override {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    HistoryData data;
    data.letter = letter;
    data.label = "DATEN";
    data.limitBytes = 51.2 * 1073741824.0;
    data.limitText = "10 % = 51,2 GB";
    data.earlyBytes = 80.0 * 1073741824.0;
    if (shown) {
      const std::int64_t since = now - 41 * 86400 + 8 * 3600 + 14 * 60;
      data.recordedSince = since;
      data.loadSlots = [now, since] { return ShownHistory(now, since); };
      data.fullAt = now + static_cast<std::int64_t>((118 - 51.2) / 2.6 * 86400);
    } else {
      data.loadSlots = [now] { return testing::GeneratedHistory(now); };
      data.fullAt = now + 26 * 86400;
    }
    data.timeLeftText = "in etwa 4 Wochen";
    return data;
  }
  bool shown = false;
};

struct Owner : Window {
  Owner() : Window(GetModuleHandleW(nullptr), nullptr, {kDialogClass, 100, 100, {}}) {}
};

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  SetProcessDPIAware();
  Source source;
  source.shown = argc > 1 && std::strcmp(argv[1], "show") == 0;
  testing::FakeSystem system;
  Owner owner;
  HistoryWindows windows(owner, &source, system);
  windows.ShowHistory('D');
  HistoryWindow* window = windows.Of('D');
  if (!window) return 1;
  if (source.shown) {
    window->RangeOpt_Click(argc > 2 ? std::atoi(argv[2]) : 1);
    MSG message{};
    while (window->hWnd() && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (windows.PreTranslateMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return 0;
  }
  // The chart at the size of a full-HD screen, drawn into a memory picture of that size.
  SetWindowPos(window->Control(historywindow::kChart), nullptr, 0, 0, 1920, 1080,
               SWP_NOMOVE | SWP_NOZORDER);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, 1920, 1080);
  HGDIOBJ old = SelectObject(memory, picture);
  RECT all{0, 0, 1920, 1080};
  constexpr int kRounds = 10;
  const auto fillStart = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW + i % 2));
  GdiFlush();
  const double fill = Milliseconds(std::chrono::steady_clock::now() - fillStart) / kRounds;
  int failures = 0;
  for (int range = 0; range < 5; ++range) {
    window->RangeOpt_Click(range);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
      SendMessageW(window->Control(historywindow::kChart), WM_PRINTCLIENT,
                   reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    }
    GdiFlush();
    const double draw = Milliseconds(std::chrono::steady_clock::now() - start) / kRounds;
    std::printf("%-6s %7.2f ms  %6.1f x a plain fill (%.3f ms)%s\n",
                std::string(kHistoryRangeNames[range]).c_str(), draw, draw / fill, fill,
                draw < 50 ? "" : "  TOO SLOW");
    failures += draw >= 50;
  }
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return failures;
}
