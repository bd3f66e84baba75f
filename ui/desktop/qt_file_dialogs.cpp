#include "ui/desktop/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList qtFilters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    qtFilters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return qtFilters.join(QStringLiteral(";;"));
}

namespace {

std::optional<QString> RunDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtFileDialogs::OpenFileName(const QString& filter) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFileFilter(filter));
  if (!lastOpened_.isEmpty()) dialog.selectFile(lastOpened_);
  std::optional<QString> chosen = RunDialog(dialog);
  if (chosen) lastOpened_ = *chosen;
  return chosen;
}

std::optional<QString> QtFileDialogs::SaveFileName(const QString& filter,
                                                   const QString& defaultExtension) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QtFileFilter(filter));
  dialog.setDefaultSuffix(defaultExtension);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  return RunDialog(dialog);
}
