#include <gtest/gtest.h>

#include <QCoreApplication>
#include <clocale>

// The tool's runs are child processes driven by QProcess; numbers in the C locale.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
