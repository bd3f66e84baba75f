#include "capture/this_program_files.h"

#include <QCoreApplication>
#include <QFile>

namespace {

ProgramFileEnvironment ThisProcess() {
  return ProcessEnvironment(
      QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
}

}  // namespace

ProgramFiles LocateThisProgramsFiles(const QString& configDir) {
  return LocateProgramFiles(ThisProcess(), QFile::encodeName(configDir).toStdString());
}

std::filesystem::path LocateThisProgramsArchive(const QString& file) {
  if (!file.isEmpty()) return QFile::encodeName(file).toStdString();
  return DefaultArchiveFile(ThisProcess());
}
