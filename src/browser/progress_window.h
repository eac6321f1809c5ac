// frmProgress: the small window with a caption and a bar that the catalogue load and the search
// show while they run. One instance, shown and hidden, never closed.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde {

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual void SetRange(std::int64_t minimum, std::int64_t maximum) = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  // Lets the user-interface thread paint what is waiting, once.
  virtual void Repaint() = 0;
};

// The catalogue's list control, as far as a load needs it: drawing off while it fills.
class ListDrawing {
 public:
  virtual ~ListDrawing() = default;
  virtual void SetRedraw(bool on) = 0;
};

}  // namespace corvalinde
