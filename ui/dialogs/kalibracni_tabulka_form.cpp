#include "ui/dialogs/kalibracni_tabulka_form.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <any>

#include "core/c_format.h"
#include "ui/dialogs/dialog_controls.h"
#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"
#include "ui/widgets/data_string_grid.h"

namespace {

constexpr int kGlyphSize = 16;

// The tool buttons' glyphs: a green plus (new), a red minus (delete) and a pencil (edit).
QPixmap EmptyGlyph() {
  QPixmap glyph(kGlyphSize, kGlyphSize);
  glyph.fill(Qt::transparent);
  return glyph;
}

QIcon NewRowGlyph() {
  QPixmap glyph = EmptyGlyph();
  QPainter painter(&glyph);
  painter.setPen(QColor(0, 96, 0));
  painter.setBrush(QColor(0, 160, 0));
  painter.drawRect(6, 2, 3, 11);
  painter.drawRect(2, 6, 11, 3);
  painter.setPen(Qt::NoPen);
  painter.drawRect(7, 3, 2, 10);  // the crossing without the outline through it
  return QIcon(glyph);
}

QIcon DeleteRowGlyph() {
  QPixmap glyph = EmptyGlyph();
  QPainter painter(&glyph);
  painter.setPen(QColor(128, 0, 0));
  painter.setBrush(QColor(220, 0, 0));
  painter.drawRect(2, 6, 11, 3);
  return QIcon(glyph);
}

QIcon EditRowGlyph() {
  QPixmap glyph = EmptyGlyph();
  QPainter painter(&glyph);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(8, 8);
  painter.rotate(45);
  painter.setPen(QColor(64, 48, 0));
  painter.setBrush(QColor(240, 192, 32));
  painter.drawRect(QRectF(-2.5, -7, 5, 10));  // the body
  painter.setBrush(QColor(232, 200, 160));
  painter.drawPolygon(QPolygonF({QPointF(-2.5, 3), QPointF(2.5, 3), QPointF(0, 7.5)}));
  return QIcon(glyph);
}

QToolButton* PlaceToolButton(QWidget* parent, const char* name, const char* hint, int left,
                             const QIcon& glyph) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setToolTip(QString::fromUtf8(hint));
  button->setAutoRaise(true);
  button->setGeometry(left, 215, 23, 22);
  button->setIconSize(QSize(kGlyphSize, kGlyphSize));
  button->setIcon(glyph);
  return button;
}

}  // namespace

TKalibracniTabulkaForm::TKalibracniTabulkaForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("KalibracniTabulkaForm"));
  setWindowTitle(QString::fromUtf8("Kalibrační tabulka"));
  setFixedSize(210, 277);
  FormCreate();

  SpeedButton_NovyZaznam =
      PlaceToolButton(this, "SpeedButton_NovyZaznam", "Nový záznam", 8, NewRowGlyph());
  SpeedButton_OdstranitZaznam = PlaceToolButton(this, "SpeedButton_OdstranitZaznam",
                                                "Odstranit záznam", 31, DeleteRowGlyph());
  SpeedButton_EditovatZaznam =
      PlaceToolButton(this, "SpeedButton_EditovatZaznam", "Editovat záznam", 54, EditRowGlyph());
  Button_Storno = PlaceButton(this, "Button_Storno", "Zrušit", QRect(24, 247, 67, 25));
  Button_Ulozit = PlaceButton(this, "Button_Ulozit", "Uložit", QRect(119, 247, 66, 25));
  UpdateUlozit();

  connect(SpeedButton_NovyZaznam, &QToolButton::clicked, this,
          [this] { SpeedButton_NovyZaznamClick(SpeedButton_NovyZaznam); });
  connect(SpeedButton_OdstranitZaznam, &QToolButton::clicked, this,
          [this] { SpeedButton_OdstranitZaznamClick(SpeedButton_OdstranitZaznam); });
  connect(SpeedButton_EditovatZaznam, &QToolButton::clicked, this,
          [this] { SpeedButton_EditovatZaznamClick(SpeedButton_EditovatZaznam); });
  connect(Button_Ulozit, &QPushButton::clicked, this,
          [this] { Button_UlozitClick(Button_Ulozit); });
  connect(Button_Storno, &QPushButton::clicked, this,
          [this] { Button_StornoClick(Button_Storno); });
  // done() ends every way of closing: the buttons, the close box and Escape.
  connect(this, &QDialog::finished, this, [this] { FormClose(); });
}

TKalibracniTabulkaForm::~TKalibracniTabulkaForm() {
  // QDialog's own destructor hides the window; the grid is gone by then.
  disconnect(this, &QDialog::finished, this, nullptr);
  FormDestroy();
}

void TKalibracniTabulkaForm::FormCreate() {
  StringGrid_Kalibrace = new TDataStringGrid(this);
  StringGrid_Kalibrace->setObjectName(QStringLiteral("StringGrid_Kalibrace"));
  StringGrid_Kalibrace->setGeometry(0, 0, 209, 209);
  StringGrid_Kalibrace->SetColCount(2);
  StringGrid_Kalibrace->SetRowCount(2);
  StringGrid_Kalibrace->SetFixedCols(0);
  StringGrid_Kalibrace->SetFixedRows(1);
  StringGrid_Kalibrace->SetDefaultRowHeight(17);
  StringGrid_Kalibrace->SetDefaultColWidth(92);
  StringGrid_Kalibrace->SetRowSelect(true);
  StringGrid_Kalibrace->setShowGrid(true);
  StringGrid_Kalibrace->SetCell(0, 0, "mHz");
  StringGrid_Kalibrace->SetCell(1, 0, "Konstanta");
}

void TKalibracniTabulkaForm::FormDestroy() {
  delete StringGrid_Kalibrace;
  StringGrid_Kalibrace = nullptr;
}

const CalibrationEntry* TKalibracniTabulkaForm::EntryOf(int row) const {
  return std::any_cast<CalibrationEntry>(&StringGrid_Kalibrace->Objects(row));
}

void TKalibracniTabulkaForm::ShowEntry(int row, const CalibrationEntry& entry) {
  StringGrid_Kalibrace->SetCell(0, row, FormatFixed(static_cast<double>(entry.Frequency)));
  StringGrid_Kalibrace->SetCell(1, row, FormatFixed(static_cast<double>(entry.Constant)));
}

void TKalibracniTabulkaForm::AppendEntry(const CalibrationEntry& entry) {
  const int row = StringGrid_Kalibrace->RowCount();
  StringGrid_Kalibrace->SetRowCount(row + 1);
  ShowEntry(row, entry);
  StringGrid_Kalibrace->SetObject(row, entry);
}

CalibrationTable TKalibracniTabulkaForm::GridEntries() const {
  CalibrationTable entries;
  for (int row = 0; row < StringGrid_Kalibrace->RowCount(); ++row) {
    if (const CalibrationEntry* entry = EntryOf(row)) entries.push_back(*entry);
  }
  return entries;
}

void TKalibracniTabulkaForm::UpdateUlozit() { Button_Ulozit->setEnabled(!GridEntries().empty()); }

void TKalibracniTabulkaForm::LoadTable(CalibrationTable& table) {
  StringGrid_Kalibrace->SetRowCount(1);
  for (const CalibrationEntry& entry : table) AppendEntry(entry);
  if (StringGrid_Kalibrace->RowCount() > 1) {
    StringGrid_Kalibrace->SetFixedRows(1);
    StringGrid_Kalibrace->SetRow(1);
  }
  table_ = &table;
  UpdateUlozit();
}

void TKalibracniTabulkaForm::SpeedButton_NovyZaznamClick(QObject* /*sender*/) {
  if (rowEditor_ == nullptr) return;
  rowEditor_->SetValues(0, 0);
  if (rowEditor_->exec() != QDialog::Accepted) return;
  CalibrationEntry entry;
  if (rowEditor_->GetValues(&entry.Frequency, &entry.Constant) != 0) return;
  AppendEntry(entry);
  StringGrid_Kalibrace->SetFixedRows(1);
  StringGrid_Kalibrace->SetRow(StringGrid_Kalibrace->RowCount() - 1);
  UpdateUlozit();
}

void TKalibracniTabulkaForm::SpeedButton_OdstranitZaznamClick(QObject* /*sender*/) {
  const int row = StringGrid_Kalibrace->Row();
  if (EntryOf(row) == nullptr) return;
  StringGrid_Kalibrace->DeleteGridRow(row);  // the entry copy goes with its row
  UpdateUlozit();
}

void TKalibracniTabulkaForm::SpeedButton_EditovatZaznamClick(QObject* /*sender*/) {
  const int row = StringGrid_Kalibrace->Row();
  const CalibrationEntry* current = EntryOf(row);
  if (current == nullptr || rowEditor_ == nullptr) return;
  CalibrationEntry edited = *current;
  rowEditor_->SetValues(edited.Frequency, edited.Constant);
  if (rowEditor_->exec() != QDialog::Accepted) return;
  if (rowEditor_->GetValues(&edited.Frequency, &edited.Constant) != 0) return;
  StringGrid_Kalibrace->SetObject(row, edited);
  ShowEntry(row, edited);
}

void TKalibracniTabulkaForm::Button_UlozitClick(QObject* /*sender*/) {
  CalibrationTable entries = GridEntries();
  if (table_ == nullptr || entries.empty()) return;
  *table_ = std::move(entries);
  accept();
}

void TKalibracniTabulkaForm::Button_StornoClick(QObject* /*sender*/) { reject(); }

void TKalibracniTabulkaForm::FormClose() {
  for (int row = 0; row < StringGrid_Kalibrace->RowCount(); ++row) {
    StringGrid_Kalibrace->SetObject(row, std::any());
  }
}
