#include "steady_scroll_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

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
    picture_ = QPixmap(size() * devicePixelRatio());
    picture_.setDevicePixelRatio(devicePixelRatio());
    picture_.fill(palette().color(backgroundRole()));
    QPainter painter(&picture_);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    painted_ = look;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
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
