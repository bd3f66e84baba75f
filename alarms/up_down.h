#pragma once

#include <QWidget>

class QToolButton;

enum class UpDownButton { Up, Down };

// A pair of arrow buttons that steps a neighbouring edit. It keeps no position of its own:
// each click is reported with its arrow and the handler steps the edit's text.
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  explicit TUpDown(QWidget* parent = nullptr);

 signals:
  void Clicked(UpDownButton button);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};
