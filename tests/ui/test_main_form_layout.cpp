#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QStandardPaths>
#include <vector>

#include "tests/ui/main_form_fixture.h"

namespace {

TEST_F(MainFormTest, WindowHasItsFixedClientAreaBelowTheMenu) {
  form->show();
  const QWidget* client = form->centralWidget();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->size(), QSize(815, 700));
  EXPECT_EQ(client->geometry().top(),
            NamedChild<QMenuBar>(*form, "MainMenu").geometry().bottom() + 1);
  EXPECT_EQ(form->size(), QSize(815, client->geometry().bottom() + 1)) << "nothing cut off";
  EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the window cannot be resized";
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelvra USB Anemometer"));
  EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(NamedChild<QLabel>(*form, "Image_WindRose").pixmap().size(), QSize(200, 200));
  // A picture that paints without its background must cover its whole label.
  for (const QLabel* label : form->findChildren<QLabel*>()) {
    if (label->testAttribute(Qt::WA_OpaquePaintEvent)) {
      EXPECT_EQ(label->pixmap().size(), label->size()) << label->objectName().toStdString();
    }
  }
}

// Where a widget puts ink: a label only as far as its text reaches.
QRect Occupied(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->pixmap().isNull()) {
    const QFontMetrics metrics(label->font());
    return {label->pos(), QSize(metrics.horizontalAdvance(label->text()), metrics.height())};
  }
  return widget->geometry();
}

// Checked at the font the program ships: no caption is cut and no two controls of one parent
// cover each other.
void ExpectNothingCutOrOverlapping(const QWidget* parent) {
  const QList<QWidget*> children =
      parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  std::vector<const QWidget*> placed;
  for (const QWidget* child : children) {
    if (child->isWindow() || child->isHidden()) continue;
    placed.push_back(child);
    if (const auto* label = qobject_cast<const QLabel*>(child)) {
      const QFontMetrics metrics(label->font());
      EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width())
          << "cut: \"" << label->text().toStdString() << '"';
      EXPECT_LE(metrics.height(), label->height()) << label->text().toStdString();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(child);
        button && !button->text().isEmpty()) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
          << "cut: \"" << button->text().toStdString() << '"';
    }
  }
  for (std::size_t i = 0; i < placed.size(); ++i) {
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      const auto describe = [](const QWidget* w) {
        const auto* label = qobject_cast<const QLabel*>(w);
        return (label ? label->text() : w->objectName()).toStdString();
      };
      EXPECT_FALSE(Occupied(placed[i]).intersects(Occupied(placed[j])))
          << describe(placed[i]) << " and " << describe(placed[j]);
    }
  }
}

// Run a second time with Wine's fonts out of reach (ctest ui_layout_without_tahoma), where the
// fallback font must fit the same places.
TEST_F(MainFormTest, NothingIsCutOrCoveredAtTheProgramFont) {
  const QString family = QFontInfo(form->font()).family();
  if (qEnvironmentVariableIsSet("ANEMOMETER_EXPECT_FALLBACK_FONT")) {
    if (family == QStringLiteral("Tahoma")) GTEST_SKIP() << "a Tahoma is installed system-wide";
  } else if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                     QStringLiteral("wine/fonts/tahoma.ttf"))
                  .isEmpty()) {
    EXPECT_EQ(family, QStringLiteral("Tahoma"));
    EXPECT_EQ(form->font().pixelSize(), 11);
    // Added to fontconfig on its start-up thread, not read once more into Qt's own list.
    for (int id = 0; id < 16; ++id) {
      EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma")))
          << "application font " << id;
    }
  }
  form->show();  // sizes of styled widgets settle once shown
  for (int sector = 0; sector <= 16; ++sector) {
    form->ShowDirectionName(sector);
    ExpectNothingCutOrOverlapping(form->centralWidget());
  }
  ExpectNothingCutOrOverlapping(&NamedChild<QGroupBox>(*form, "GroupBox_Wind"));
  ExpectNothingCutOrOverlapping(&NamedChild<QGroupBox>(*form, "GroupBox_Temperature"));
  ExpectNothingCutOrOverlapping(&NamedChild<QGroupBox>(*form, "GroupBox_Outdoor"));
}

}  // namespace
