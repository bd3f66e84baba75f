#include "steady_scroll_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

void SteadyScrollBar::sliderChange(SliderChange change) {
  const bool lookOnly = change == SliderRangeChange || change == SliderValueChange;
  if (lookOnly && painted_ == CurrentLook()) return;
  QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
  if (drawingPicture_) {
    QScrollBar::paintEvent(event);
    return;
  }
  const Look look = CurrentLook();
  if (painted_ != look || picture_.isNull()) {
    picture_ = QPixmap(size() * devicePixelRatio());
    picture_.setDevicePixelRatio(devicePixelRatio());
    drawingPicture_ = true;
    render(&picture_, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    drawingPicture_ = false;
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
