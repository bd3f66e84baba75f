#include <gtest/gtest.h>

#include <QCoreApplication>
#include <clocale>

// The logger runs on a Qt Core event loop and formats numbers in the C locale.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
