#include <QDialog>

#include "core/calibration.h"
#include "ui/desktop/message_boxes.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/kalibracni_tabulka_form.h"
#include "ui/main_window/main_form.h"

void TMainForm::KalibracniTabulkaClick(QObject* /*sender*/) {
  if (KalibracniTabulkaForm == nullptr) return;
  // The editor replaces the table itself on Uložit; packets decoded while it is open use the
  // table as it stands.
  KalibracniTabulkaForm->LoadTable(core_.Calibration());
  if (KalibracniTabulkaForm->exec() != QDialog::Accepted) return;
  if (SaveCalibration(programFiles_, ProgramFileToWrite(kCalibrationFileName),
                      core_.Calibration()) != 0) {
    messages_->Show(QStringLiteral("Error openning calibration file, new values are not saved."),
                    QStringLiteral("Information"), MessageIcon::Information);
  }
}

void TMainForm::ShowAboutClick(QObject* /*sender*/) {
  if (AboutBox != nullptr) AboutBox->exec();
}
