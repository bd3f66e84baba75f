#include "ui/widgets/steady_scroll_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace {

constexpr int kStripHeight = 64;

}  // namespace

void SteadyScrollBar::sliderChange(SliderChange change) {
  const bool lookOnly = change == SliderRangeChange || change == SliderValueChange;
  if (lookOnly && painted_ == CurrentLook()) return;
  QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
  const Look look = CurrentLook();
  // Under the mouse the bar shows hovered and pressed parts, which only it knows: drawn as usual.
  if (underMouse() || isSliderDown()) {
    picture_ = QPixmap();
    painted_ = look;
    QScrollBar::paintEvent(event);
    return;
  }
  if (painted_ != look || picture_.isNull()) {
    DrawPicture();
    painted_ = look;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
}

void SteadyScrollBar::DrawPicture() {
  const qreal ratio = devicePixelRatio();
  picture_ = QPixmap(size() * ratio);
  picture_.setDevicePixelRatio(ratio);
  QPainter picture(&picture_);
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_All;
  option.activeSubControls = QStyle::SC_None;
  // In strips, each on a picture of its own: Qt's raster engine hands a fill or line taller than
  // about 96 lines of its device to its thread pool, and waking those threads costs more than
  // the drawing. The cuts run across the bar's length only on a vertical bar: a horizontal bar
  // cut across its lines comes out different where two lines meet, so it is drawn whole (with
  // the pool; its look changes only when the grid's width changes, once a vertical bar shows).
  for (int top = 0; top < height(); top += kStripHeight) {
    QPixmap strip(QSize(width(), kStripHeight) * ratio);
    strip.setDevicePixelRatio(ratio);
    strip.fill(palette().color(backgroundRole()));
    QPainter painter(&strip);
    painter.translate(0, -top);
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    painter.end();
    picture.drawPixmap(0, top, strip);
  }
}

SteadyScrollBar::Look SteadyScrollBar::CurrentLook() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {size(),
          option.state,
          option.activeSubControls,
          palette().cacheKey(),
          style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(),
          value() == maximum()};
}
