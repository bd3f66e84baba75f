#pragma once

// RecordingMessageBoxes: answers the program's message boxes in tests. Every box is recorded;
// a test announces the boxes it expects, in order, with Expect(). A box that was not expected,
// or that differs from the next expected one, fails the running test.
//
//   RecordingMessageBoxes messages;
//   messages.Expect("Anemometer byl odpojen.", "Informace", MessageIcon::Information);
//   ...
//   EXPECT_TRUE(messages.AllExpectedShown());
//
// WhileShown, when set, runs inside Show, that is while the box would be open, so a test can
// look at the program from within a box.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "ui/desktop/message_boxes.h"

struct ShownMessage {
  QString text;
  QString caption;
  MessageIcon icon = MessageIcon::Information;
  friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ShownMessage& m) {
    return out << '"' << m.text.toStdString() << "\" / \"" << m.caption.toStdString() << "\" / "
               << (m.icon == MessageIcon::Error ? "error" : "information");
  }
};

class RecordingMessageBoxes : public MessageBoxes {
 public:
  void Expect(const char* text, const char* caption, MessageIcon icon) {
    expected_.push_back({QString::fromUtf8(text), QString::fromUtf8(caption), icon});
  }

  void Show(const QString& text, const QString& caption, MessageIcon icon) override {
    const ShownMessage shown{text, caption, icon};
    shown_.push_back(shown);
    if (expected_.empty()) {
      ADD_FAILURE() << "unexpected message box: " << shown;
    } else {
      EXPECT_EQ(expected_.front(), shown);
      expected_.pop_front();
    }
    if (WhileShown) WhileShown();
  }

  bool AllExpectedShown() const { return expected_.empty(); }
  const std::vector<ShownMessage>& Shown() const { return shown_; }

  std::function<void()> WhileShown;

 private:
  std::deque<ShownMessage> expected_;
  std::vector<ShownMessage> shown_;
};
