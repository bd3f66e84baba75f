#pragma once

#include <QString>

#include "core/program_files.h"

// Where this running program (the window or the logger) reads and writes its files: configDir
// (--config-dir) when not empty, else the folder the rule chooses for this executable's folder
// and environment. Needs a QCoreApplication.
ProgramFiles LocateThisProgramsFiles(const QString& configDir);

// The station archive this program keeps: file when not empty (--archive), else the default
// place for this executable's folder and environment. Needs a QCoreApplication.
std::filesystem::path LocateThisProgramsArchive(const QString& file);
