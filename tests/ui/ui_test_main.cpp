#include <gtest/gtest.h>

#include <QApplication>

#include "ui/desktop/program_font.h"
#include "ui/startup/program.h"

// The windows need an application object; tests run without a display. The fonts are set up in
// the program's order, fontconfig first on its thread, so the font tests see what it chooses.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  BeginFontConfiguration();
  QApplication application(argc, argv);
  ApplyProgramConventions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
