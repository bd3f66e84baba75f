#pragma once

// ScriptedFileDialogs: answers the open and save dialogs in tests with the names queued by
// the test (nullopt: the user cancelled). A dialog with no answer queued fails the test and is
// cancelled. The filters and default extensions asked for are recorded.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "ui/desktop/file_dialogs.h"

class ScriptedFileDialogs : public FileDialogs {
 public:
  struct Request {
    bool save = false;
    QString filter;
    QString defaultExtension;
  };

  void AnswerNext(const std::optional<QString>& name) {
    answers_.push_back({name.has_value(), name.value_or(QString())});
  }

  std::optional<QString> OpenFileName(const QString& filter) override {
    requests_.push_back({false, filter, {}});
    return Next();
  }
  std::optional<QString> SaveFileName(const QString& filter,
                                      const QString& defaultExtension) override {
    requests_.push_back({true, filter, defaultExtension});
    return Next();
  }

  const std::vector<Request>& Requests() const { return requests_; }

 private:
  std::optional<QString> Next() {
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected file dialog";
      return std::nullopt;
    }
    const auto [chosen, name] = answers_.front();
    answers_.pop_front();
    if (!chosen) return std::nullopt;
    return name;
  }

  std::deque<std::pair<bool, QString>> answers_;  // false: cancelled
  std::vector<Request> requests_;
};
