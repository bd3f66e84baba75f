#pragma once

#include <QIcon>
#include <QString>
#include <functional>
#include <memory>

#include "core/program_files.h"

class Clock;
class HidTransport;
class SoundPlayer;
class TMainForm;
class QWidget;

struct ProgramServices {
  HidTransport& transport;
  Clock& clock;
  SoundPlayer& sound;
  ProgramFiles files;  // where the program's own files are read and written
};

// The program's windows, each created once and kept for the whole run: the main window first,
// then the dialogs, which it owns and reaches through its own members.
struct ProgramWindows {
  std::unique_ptr<TMainForm> MainForm;
};

// The main window and its dialogs at once.
ProgramWindows CreateProgramWindows(const ProgramServices& services);
// The two halves of it: the program shows the main window before it creates the dialogs.
std::unique_ptr<TMainForm> CreateMainWindow(const ProgramServices& services);
void AttachProgramDialogs(TMainForm& mainForm, const ProgramServices& services);

// Runs work once, right after the window's first paint has gone to the screen, from the event
// loop.
void RunAfterFirstPaint(QWidget& window, std::function<void()> work);

struct ProgramOptions {
  bool startCapture = false;     // the demo starts capturing as soon as its window is up
  bool archiveByDefault = true;  // the demo archives only into a file named by --archive
  QString description;           // the first line of --help
};

// What every run of the windows needs once the application object exists, the program's and
// the tests' alike: numbers with a full stop whatever the user's locale (Qt takes the user's
// locale at start), Qt's Czech texts for standard buttons and dialogs, the window icon (the
// compass drawn by the program) and the program's font.
void ApplyProgramConventions();

// The icon of the menu entry from the icon theme; null when it is not installed. It may run on a
// thread of its own while no other thread uses icons.
QIcon InstalledProgramIcon();
// The installed icon as the window icon; with a null one the compass drawn by the program stays.
void UseInstalledProgramIcon(const QIcon& installed);

// The command line, then the application object, title, icon, font and number format, the
// windows, the message loop. An exception that escapes them is shown in a message box. Returns
// 0, or the command line's exit status when it ended the program (2 for a wrong option, 1
// without a display).
int RunProgram(int& argc, char** argv, HidTransport& transport, const ProgramOptions& options = {});
