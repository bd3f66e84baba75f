#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTimer>

#include "alarms/alarm_event_model.h"
#include "tests/alarms/alarms_test_support.h"

namespace {

TEST(AlarmEventModel, AFullListDropsItsOldestRowForEachNewOneAndRepaintsAll) {
  AlarmEventModel model(3);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  for (int limit = 1; limit <= 5; ++limit)
    model.Append({QStringLiteral("t"), QStringLiteral("x"), limit, 0});

  ASSERT_EQ(model.rowCount(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(model.data(model.index(row, 2)).toString(), QString::number(row + 3));
  }
  ASSERT_EQ(changed.size(), 2);
  EXPECT_EQ(changed.back().at(0).toModelIndex(), model.index(0, 0));
  EXPECT_EQ(changed.back().at(1).toModelIndex(), model.index(2, 3));
}

TEST_F(AlarmsFormTest, KeepsTheNewestHundredThousandEvents) {
  for (int limit = 1; limit <= 100001; ++limit)
    form.AddAlarmEvent(QStringLiteral("x"), limit, 1.0F);
  ASSERT_EQ(Rows(), 100000);
  EXPECT_EQ(EventRow(form, 0).value(2), QStringLiteral("2"));
  EXPECT_EQ(EventRow(form, 99999).value(2), QStringLiteral("100001"));
}

TEST_F(AlarmsFormTest, TheOpenWindowListsEarlierEventsAndNewOnesAsTheyHappen) {
  ArmAt(AlarmLimit::TempHi, 0);
  form.CheckAlarms(1.0F, 0, 0, 0);
  int rowsWhenShown = -1;
  // Samples go on being checked while the window runs its own loop.
  QTimer::singleShot(0, &form, [&] {
    rowsWhenShown = Rows();
    form.CheckAlarms(2.0F, 0, 0, 0);
    NamedChild<QPushButton>(form, "Button_Zavrit").click();
  });
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_EQ(rowsWhenShown, 1);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(EventRow(form, 1).value(3), QStringLiteral("2.00"));
  EXPECT_TRUE(limits.IsArmed(AlarmLimit::TempHi)) << "closing changes nothing";
}

}  // namespace
