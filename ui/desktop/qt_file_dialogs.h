#pragma once

#include "ui/desktop/file_dialogs.h"

class QWidget;

// QFileDialog over the owner window. The open dialog offers the file chosen last time again;
// the save dialog always starts with an empty name.
class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* owner) : owner_(owner) {}
  std::optional<QString> OpenFileName(const QString& filter) override;
  std::optional<QString> SaveFileName(const QString& filter,
                                      const QString& defaultExtension) override;

 private:
  QWidget* owner_;
  QString lastOpened_;
};

// "CSV file|*.csv|All|*" -> "CSV file (*.csv);;All (*)"
QString QtFileFilter(const QString& filter);
