#pragma once
// A top-level window's place in twips, and the DPI its pixels are converted with.

#include <windows.h>

#include "platform/FormGeometry.h"

namespace quenora::win32 {

// Dots per inch of the window's monitor where the system tells it, else of the screen.
int WindowDpi(HWND window);

class WindowGeometry final : public FormGeometry {
 public:
  explicit WindowGeometry(HWND window) : window_(window), dpi_(WindowDpi(window)) {}

  double Left() const override;
  double Top() const override;
  double Width() const override;
  double Height() const override;
  void SetLeft(double twips) override;
  void SetTop(double twips) override;
  double ScreenWidth() const override;
  double ScreenHeight() const override;

 private:
  RECT Rect() const;
  double ToTwips(long pixels) const { return pixels * 1440.0 / dpi_; }
  int ToPixels(double twips) const;
  void MoveTo(int x, int y) const;

  HWND window_;
  int dpi_;
};

}  // namespace quenora::win32
