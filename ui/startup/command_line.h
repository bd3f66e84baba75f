#pragma once

// The programs' command line: --help, --version and --config-dir. It is read before the window
// system is touched, so that --help and --version answer in a terminal without a display.

#include <QString>

struct CommandLine {
  bool exit = false;  // answered (help, version) or refused: end the program with exitCode
  int exitCode = 0;   // 0 after --help and --version, 2 after a wrong command line
  QString configDir;  // --config-dir DIR as an absolute path, empty when not given
};

// Reads argv; --help and --version print on standard output, a wrong option a short error on
// standard error. Needs no application object and leaves none behind.
CommandLine ParseCommandLine(int& argc, char** argv, const QString& description);
