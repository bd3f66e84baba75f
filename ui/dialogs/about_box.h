#pragma once

#include <QDialog>
#include <QImage>

class QFrame;
class QLabel;
class QPushButton;

// "O programu": names the product and its version. Created once and reused; OK, Enter and the
// close box end it, and nothing else happens.
class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  void setVisible(bool visible) override;

 private:
  QFrame* ProductPanel;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;
  QPushButton* OKButton;
};

// The program's emblem as the about box shows it, 32 by 32 on a transparent background.
QImage ProgramEmblem();
