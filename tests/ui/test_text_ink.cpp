// Every text the windows show keeps its accents and tails whole: the ink of each glyph, where
// Qt lays the text out in the widget that shows it, stays inside that widget. The program's
// 11-pixel Tahoma draws the caron of Č above its ascent and the tail of g below its descent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <QTimer>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_hid_transport.h"
#include "tests/support/fake_sound_player.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/temporary_program_dir.h"
#include "ui/main_window/main_form.h"
#include "ui/startup/program.h"

namespace {

std::string Describe(const QWidget& widget, const QString& text) {
  return widget.window()->objectName().toStdString() + " / " + widget.objectName().toStdString() +
         " \"" + text.toStdString() + "\"";
}

// The rows the ink of text covers when QPainter::drawText(area, flags, text) draws it: from the
// first line's tallest glyph to the last line's lowest tail. (Antialiasing may put a faint pixel of
// a glyph left or right of its advance; only the rows matter here.)
std::pair<int, int> InkRows(const QFont& font, const QRect& area, int flags, const QString& text) {
  QImage scratch(1, 1, QImage::Format_ARGB32);
  QPainter painter(&scratch);
  painter.setFont(font);
  const QRect laidOut = painter.boundingRect(area, flags, text);
  const QFontMetrics metrics(font);
  const QRect glyphs = metrics.tightBoundingRect(text);
  const int firstBaseline = laidOut.top() + metrics.ascent();
  const int lastBaseline = laidOut.bottom() + 1 - metrics.descent();
  return {firstBaseline + glyphs.top(), lastBaseline + glyphs.bottom()};
}

void ExpectRowsInside(const QWidget& widget, const QString& text, std::pair<int, int> ink,
                      const QRect& area) {
  EXPECT_TRUE(ink.first >= area.top() && ink.second <= area.bottom())
      << Describe(widget, text) << ": ink in rows " << ink.first << ".." << ink.second
      << ", shown in rows " << area.top() << ".." << area.bottom();
}

// A text drawn centred in area, as buttons, group box titles, grid cells and menu items draw
// theirs.
void ExpectCentredInkInside(const QWidget& widget, const QRect& area, const QString& text) {
  if (text.trimmed().isEmpty()) return;
  ExpectRowsInside(widget, text,
                   InkRows(widget.font(), area, Qt::AlignCenter | Qt::TextShowMnemonic, text),
                   area);
}

// Pixels of image that differ from background.
int InkPixels(const QImage& image, QRgb background) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) != background ? 1 : 0;
  }
  return count;
}

// A label shows its text whole when its drawing has as much ink as the text drawn with the
// same font and colours where there is room for all of it. (Labels draw either plainly or
// through a text document when the text can be selected; this holds for both.)
void ExpectLabelInkInside(QLabel& label) {
  const QString text = label.text();
  if (text.trimmed().isEmpty()) return;
  const QRgb background = label.palette().color(QPalette::Window).rgb();
  const QFontMetrics metrics(label.font());
  QImage whole(metrics.horizontalAdvance(text) + 40, 4 * metrics.height(), QImage::Format_RGB32);
  whole.fill(background);
  QPainter painter(&whole);
  painter.setFont(label.font());
  painter.setPen(label.palette().color(QPalette::WindowText));
  painter.drawText(QPoint(20, 2 * metrics.height()), text);
  painter.end();
  EXPECT_EQ(InkPixels(label.grab().toImage(), background), InkPixels(whole, background))
      << Describe(label, text) << ": the label, " << label.height()
      << " pixels high, does not show all of its text";
}

void ExpectWindowTextsWhole(QWidget& window) {
  window.ensurePolished();
  for (QLabel* label : window.findChildren<QLabel*>()) ExpectLabelInkInside(*label);
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    ExpectCentredInkInside(*button, button->rect(), button->text());
  }
  for (const QGroupBox* box : window.findChildren<QGroupBox*>()) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    ExpectCentredInkInside(*box, title, box->title());
  }
  for (const QComboBox* combo : window.findChildren<QComboBox*>()) {
    for (int i = 0; i < combo->count(); ++i) {
      ExpectCentredInkInside(*combo, combo->rect(), combo->itemText(i));
    }
  }
  // Grid titles: header sections and the title row that the string grids keep as row 0.
  for (const QHeaderView* header : window.findChildren<QHeaderView*>()) {
    if (header->isHidden() || header->orientation() != Qt::Horizontal) continue;
    for (int section = 0; section < header->count(); ++section) {
      const QRect area(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                       header->height());
      ExpectCentredInkInside(*header, area,
                             header->model()->headerData(section, Qt::Horizontal).toString());
    }
  }
  for (const QTableView* grid : window.findChildren<QTableView*>()) {
    const QAbstractItemModel* model = grid->model();
    if (model == nullptr || model->rowCount() == 0) continue;
    for (int column = 0; column < model->columnCount(); ++column) {
      const QModelIndex title = model->index(0, column);
      ExpectCentredInkInside(*grid, grid->visualRect(title), title.data().toString());
    }
  }
  for (const QMenuBar* bar : window.findChildren<QMenuBar*>()) {
    for (QAction* action : bar->actions()) {
      ExpectCentredInkInside(*bar, bar->actionGeometry(action), action->text());
      if (QMenu* menu = action->menu()) {
        menu->ensurePolished();
        for (QAction* item : menu->actions()) {
          ExpectCentredInkInside(*menu, menu->actionGeometry(item), item->text());
        }
      }
    }
  }
}

// The program's windows as start-up creates them, on a fake anemometer.
class TextInkTest : public ::testing::Test {
 protected:
  ProgramWindows CreateWindows() {
    programDir.Write("anemometer.cal", "1000.000000 500.000000\n");
    hid.AddAnemometer();
    return CreateProgramWindows({hid, clock, sound, ProgramFiles{programDir.Path()}});
  }

  TemporaryProgramDir programDir;
  FakeHidTransport hid;
  FixedClock clock;
  FakeSoundPlayer sound;
  const ProgramWindows windows = CreateWindows();
  TMainForm& mainForm = *windows.MainForm;
};

}  // namespace

TEST_F(TextInkTest, EveryWindowShowsItsTextsWhole) {
  ExpectWindowTextsWhole(mainForm);
  for (QDialog* dialog : mainForm.findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
    ExpectWindowTextsWhole(*dialog);
  }
}

// The message boxes the capture commands show, in the box the program shows them in.
TEST_F(TextInkTest, MessageBoxesShowTheirTextsWhole) {
  std::vector<QString> shown;
  QTimer inspect;  // looks at each box once its loop runs, then closes it
  QObject::connect(&inspect, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    for (QLabel* label : box->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) shown.push_back(label->text());
      ExpectLabelInkInside(*label);
    }
    box->done(0);
  });
  inspect.start(0);
  mainForm.StartCaptureClick(nullptr);
  mainForm.StartCaptureClick(nullptr);  // "Čtení dat je už spuštené."
  mainForm.OpenClick(nullptr);          // "Prosím zastavte čtení dat pred otevřením souboru."
  mainForm.StopCaptureClick(nullptr);
  mainForm.StopCaptureClick(nullptr);  // "Čtení dat je už zastavené."
  inspect.stop();
  EXPECT_EQ(shown, (std::vector<QString>{
                       QString::fromUtf8("Čtení dat je už spuštené."),
                       QString::fromUtf8("Prosím zastavte čtení dat pred otevřením souboru."),
                       QString::fromUtf8("Čtení dat je už zastavené.")}));
}
