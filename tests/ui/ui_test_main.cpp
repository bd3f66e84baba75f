#include <gtest/gtest.h>

#include <QApplication>

#include "ui/startup/program.h"

// The windows need an application object; tests run without a display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ApplyProgramConventions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
