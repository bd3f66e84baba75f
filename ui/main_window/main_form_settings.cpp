// The two settings kept in anemometer.ini: the direction offset and the wind rose's petals.
#include <QDialog>

#include "files/settings_file.h"
#include "ui/desktop/message_boxes.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"
#include "ui/main_window/main_form.h"
#include "ui/panels/wind_panel.h"

// The new values stay in use for the rest of the run even when they could not be written; a
// failed write leaves the previous file whole.
int TMainForm::SaveSettings() {
  if (!SaveSettingsFile(ProgramFileToWrite(kSettingsFileName), core_.DirectionOffset(),
                        wind_->CompassChartType())) {
    messages_->Show(QStringLiteral("Cannot save settings file."), QStringLiteral("Error"),
                    MessageIcon::Error);
  }
  return 0;
}

void TMainForm::PosunutiSmeruVetruClick(QObject* /*sender*/) {
  if (NastaveniSmeruVetruForm == nullptr) return;
  NastaveniSmeruVetruForm->SetOffset(core_.DirectionOffset());
  if (NastaveniSmeruVetruForm->exec() != QDialog::Accepted) return;
  // Packets decoded from now on use the new offset; the file is rewritten even when the user
  // kept the old one.
  core_.SetDirectionOffset(NastaveniSmeruVetruForm->GetOffset());
  SaveSettings();
}

// The rose shows the new choice from the next record on.
void TMainForm::ComboBox_TypGrafuNaKompasuSelect(QObject* /*sender*/) {
  wind_->TakeChosenCompassChartType();
  SaveSettings();
}
