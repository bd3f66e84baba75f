#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"

#include <QByteArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <optional>
#include <string_view>

#include "core/c_format.h"
#include "ui/dialogs/dialog_controls.h"

namespace {

// One edit read as "%f" reads it. A number too large for a float reads as infinity there; it
// is refused here, because anemometer.cal could not be read back with it.
std::optional<float> ReadNumber(const QLineEdit& edit) {
  const QByteArray text = edit.text().toLocal8Bit();
  const std::string_view chars(text.constData());  // C reading ends at the first NUL
  const std::optional<float> value = ScanFloat(chars);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

QString Fixed(float value) {
  return QString::fromStdString(FormatFixed(static_cast<double>(value)));
}

}  // namespace

TKalibracniTabulkaZaznamForm::TKalibracniTabulkaZaznamForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Label_mHz(PlaceLabel(this, "Label_mHz", "mHz:", 8, 1)),
      Label_CalConst(PlaceLabel(this, "Label_CalConst", "Konstanta:", 112, 1)),
      Edit_mHz(PlaceEdit(this, "Edit_mHz", 8, 18)),
      Edit_CalConst(PlaceEdit(this, "Edit_CalConst", 112, 18)),
      ButtonStorno(PlaceButton(this, "ButtonStorno", "Zrušit", QRect(29, 56, 67, 25))),
      ButtonUlozit(PlaceButton(this, "ButtonUlozit", "Uložit", QRect(119, 56, 66, 25))) {
  setObjectName(QStringLiteral("KalibracniTabulkaZaznamForm"));
  setWindowTitle(QString::fromUtf8("Záznam"));
  setFixedSize(210, 89);
  connect(ButtonUlozit, &QPushButton::clicked, this, [this] { ButtonUlozitClick(ButtonUlozit); });
  connect(ButtonStorno, &QPushButton::clicked, this, [this] { ButtonStornoClick(ButtonStorno); });
}

void TKalibracniTabulkaZaznamForm::SetValues(float frequency, float constant) {
  Edit_mHz->setText(Fixed(frequency));
  Edit_CalConst->setText(Fixed(constant));
}

int TKalibracniTabulkaZaznamForm::GetValues(float* frequency, float* constant) const {
  if (frequency == nullptr || constant == nullptr) return -1;
  const std::optional<float> readFrequency = ReadNumber(*Edit_mHz);
  if (!readFrequency) return -1;
  const std::optional<float> readConstant = ReadNumber(*Edit_CalConst);
  if (!readConstant) return -1;
  *frequency = *readFrequency;
  *constant = *readConstant;
  return 0;
}

void TKalibracniTabulkaZaznamForm::ButtonUlozitClick(QObject* /*sender*/) { accept(); }

void TKalibracniTabulkaZaznamForm::ButtonStornoClick(QObject* /*sender*/) { reject(); }
