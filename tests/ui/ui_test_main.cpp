#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

#include "program_font.h"

// The windows need an application object; tests run without a display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  LoadProgramFonts();
  QApplication::setFont(ProgramFont());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
