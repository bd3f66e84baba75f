#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

// A window's control by its object name, as a user finds it by its place on the window. Tests
// and benchmarks reach controls only this way, never through a window's members. A missing or
// mistyped name throws, which fails the test that asked.
template <class Child>
Child& NamedChild(const QObject& parent, const char* name) {
  Child* child = parent.findChild<Child*>(QString::fromLatin1(name));
  if (child == nullptr) {
    throw std::runtime_error(std::string("no control named ") + name + " in " +
                             parent.objectName().toStdString());
  }
  return *child;
}
