#pragma once
// Zoom state of the scope apart from its axes: the user's zoom settings
// (`Zooming`) and the bounded undo and redo stacks of earlier zoom states.
// Main thread only, like the display that owns them.

#include <cstddef>
#include <vector>

#include "platform/gui/Graphics.h"

// What the zoom settings read of their display: whether a zoom is in force
// and its ranges. The display implements it.
class ISLZoomedDisplay {
public:
  virtual bool GetIsZoomed() const = 0;
  virtual double GerXMinZoom() const = 0;
  virtual double GerXMaxZoom() const = 0;
  virtual double GerYMinZoom() const = 0;
  virtual double GerYMaxZoom() const = 0;

protected:
  ~ISLZoomedDisplay() = default;
};

// Plain settings: writing one has no side effect; the data view, the key and
// wheel handlers consult them when they act.
class TSLDisplayZoom {
public:
  explicit TSLDisplayZoom(const ISLZoomedDisplay *Display) : Display_(Display) {}
  TSLDisplayZoom(const TSLDisplayZoom &) = delete;
  TSLDisplayZoom &operator=(const TSLDisplayZoom &) = delete;

  bool MouseZoom = true;
  bool KeyboardZoom = true;
  TColor SelectionColor = clWhite;
  bool MouseWheelEnabled = true;
  bool HoldOnZoom = true;

  // Copies the five settings; the display stays this object's own.
  void Assign(const TSLDisplayZoom &Source);

  // Forwarded to the display; false and zeros without one.
  bool GetIsZoomed() const;
  double GerXMin() const;
  double GerXMax() const;
  double GerYMin() const;
  double GerYMax() const;

private:
  const ISLZoomedDisplay *Display_;
};

struct TSLDisplayZoomListItem {
  double XMin = 0;
  double XMax = 0;
  double YMin = 0;
  double YMax = 0;
  bool Zoomed = false;
};

// A stack of zoom states, oldest first, holding at most MaxItems: pushing
// onto a full stack forgets the oldest state.
class TSLDisplayZoomList {
public:
  static constexpr std::size_t MaxItems = 100;

  void Clear() { Items_.clear(); }
  // A state equal (all four values and the flag) to the newest one is not
  // pushed again.
  void Add(double XMin, double XMax, double YMin, double YMax, bool Zoomed);
  // Pops the newest state; false with zeros and false on an empty stack.
  bool Get(double &XMin, double &XMax, double &YMin, double &YMax, bool &Zoomed);
  bool HasItems() const { return !Items_.empty(); }
  std::size_t Count() const { return Items_.size(); }

private:
  std::vector<TSLDisplayZoomListItem> Items_;
};
