#pragma once

#include <QPixmap>
#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <optional>

// A scroll bar that repaints after a change of its range or value only when it then looks
// different, and that repaints an unchanged look from a picture of it. A data grid that grows
// by a row every second changes the range every second and has both scroll bars repainted
// after laying them out again, while the handle of a long grid stays where it is; the style
// paints a scroll bar with Qt's thread pool, so each needless drawing wakes its threads.
class SteadyScrollBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // What the painted bar depends on: its size, state (enabled, hovered, pressed parts, active
  // window), palette, where the handle is and which arrows can still move it.
  struct Look {
    QSize size;
    QStyle::State state;
    QStyle::SubControls activeParts;
    qint64 palette;
    QRect handle;
    bool atMinimum;
    bool atMaximum;
    bool operator==(const Look&) const = default;
  };
  Look CurrentLook() const;
  // The bar as it looks when neither hovered nor pressed.
  void DrawPicture();

  std::optional<Look> painted_;
  QPixmap picture_;
};
