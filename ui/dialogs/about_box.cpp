#include "ui/dialogs/about_box.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

#include "ui/dialogs/dialog_controls.h"
#include "ui/widgets/fit_to_text.h"

namespace {

// The box was laid out for MS Sans Serif 8 pt, the 13-pixel face; Wine ships it as a bitmap
// font. Without it the box keeps the program's font.
void UseDialogFont(QWidget& box) {
  static const bool available = [] {
    const QString file = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                QStringLiteral("wine/fonts/ms_sans_serif.ttf"));
    return !file.isEmpty() && QFontDatabase::addApplicationFont(file) >= 0;
  }();
  if (!available) return;
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(13);
  box.setFont(font);
}

// A lowered outer bevel with a raised one inside it.
QFrame* PlacePanel(QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QStringLiteral("ProductPanel"));
  panel->setGeometry(8, 8, 281, 97);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  auto* inner = new QFrame(panel);
  inner->setGeometry(1, 1, 279, 95);
  inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
  inner->setLineWidth(1);
  return panel;
}

}  // namespace

QImage ProgramEmblem() {
  // The desktop icon's compass, drawn on its 128-unit grid at a quarter of the size.
  QImage emblem(32, 32, QImage::Format_ARGB32_Premultiplied);
  emblem.fill(Qt::transparent);
  QPainter painter(&emblem);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(0.25, 0.25);
  const QColor navy(0x0b, 0x2f, 0x5e);

  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1e, 0x5a, 0xa8));
  painter.drawRoundedRect(QRectF(4, 4, 120, 120), 18, 18);
  painter.setPen(QPen(navy, 4));
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(64, 64), 46, 46);

  painter.setPen(QPen(navy, 6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(64, 20), QPointF(64, 30));
  painter.drawLine(QPointF(64, 98), QPointF(64, 108));
  painter.drawLine(QPointF(20, 64), QPointF(30, 64));
  painter.drawLine(QPointF(98, 64), QPointF(108, 64));

  painter.setPen(QPen(navy, 3));
  painter.setBrush(QColor(0, 128, 0));
  painter.drawPolygon(QPolygonF({{64, 26}, {74, 70}, {64, 62}, {54, 70}}));
  painter.setBrush(QColor(0xd0, 0xd0, 0xd0));
  painter.drawPolygon(QPolygonF({{64, 102}, {54, 58}, {64, 66}, {74, 58}}));
  painter.setPen(Qt::NoPen);
  painter.setBrush(navy);
  painter.drawEllipse(QPointF(64, 64), 7, 7);
  return emblem;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ProductPanel(PlacePanel(this)),
      ProgramIcon(new QLabel(ProductPanel)),
      ProductName(PlaceLabel(ProductPanel, "ProductName", "Kelvra USB Anemometer", 103, 24)),
      Version(PlaceLabel(ProductPanel, "Version", "Verze " ANEMOMETER_VERSION, 103, 43)),
      Copyright(PlaceLabel(ProductPanel, "Copyright", "Copyright © 2026 Kelvra", 103, 62)),
      OKButton(new QPushButton(QStringLiteral("OK"), this)) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("O programu"));
  UseDialogFont(*this);
  for (QLabel* label : {ProductName, Version, Copyright}) FitToText(*label);
  setFixedSize(298, 166);

  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(17, 17, 65, 57);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QPixmap::fromImage(ProgramEmblem()));

  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(111, 124, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::setVisible(bool visible) {
  // Centred on the screen rather than over the main window.
  if (visible && !isVisible()) {
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QDialog::setVisible(visible);
}
