#pragma once
// A window as its placement sees it: edges and size in twips, and the screen it is on.

namespace quenora {

class FormGeometry {
 public:
  virtual ~FormGeometry() = default;
  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void SetLeft(double twips) = 0;
  virtual void SetTop(double twips) = 0;
  virtual double ScreenWidth() const = 0;
  virtual double ScreenHeight() const = 0;
};

}  // namespace quenora
