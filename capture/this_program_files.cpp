#include "capture/this_program_files.h"

#include <QCoreApplication>
#include <QFile>

ProgramFiles LocateThisProgramsFiles(const QString& configDir) {
  return LocateProgramFiles(
      ProcessEnvironment(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()),
      QFile::encodeName(configDir).toStdString());
}
