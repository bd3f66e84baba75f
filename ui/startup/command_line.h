#pragma once

// The window's command line: the shared --help, --version and --config-dir, and Qt's own
// options, which QApplication reads. It is read before the window system is touched, so that
// --help and --version answer in a terminal without a display, and a missing display is told in
// one line instead of an abort inside Qt.

#include <QString>
#include <optional>

#include "program_options/program_command_line.h"

struct CommandLine {
  std::optional<ProgramExit> end;  // answered or refused: the program ends with this at once
  QString configDir;               // --config-dir DIR as an absolute path, empty when not given
  ArchiveChoice archive;           // --archive FILE, --no-archive
};

// Reads argv and leaves it for QApplication. Needs no application object and leaves none behind.
// archiveByDefault: whether the program keeps the station archive without --archive (the demo
// does not, so that simulated records stay out of the user's archive).
CommandLine ParseCommandLine(int& argc, char** argv, const QString& description,
                             bool archiveByDefault = true);
