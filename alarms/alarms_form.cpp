#include "alarms/alarms_form.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <utility>

#include "alarms/alarm_event_model.h"
#include "alarms/alarm_limit_controls.h"

namespace {

constexpr int kClientWidth = 588;
constexpr int kClientHeight = 382;

// The four group boxes side by side, each holding one quantity's upper and lower limit.
constexpr int kGroupTop = 8;
constexpr int kGroupWidth = 138;
constexpr int kGroupHeight = 121;

// Within a group box. The edit ends where its spinner starts, so the two do not overlap.
constexpr int kLabelLeft = 16;
constexpr int kEditLeft = 16;
constexpr int kEditWidth = 48;
constexpr int kEditHeight = 21;
constexpr int kSpinnerLeft = 64;
constexpr int kSpinnerWidth = 17;
constexpr int kButtonLeft = 95;
constexpr int kButtonSize = 25;

constexpr std::array<int, AlarmEventModel::kColumnCount> kEventColumnWidths = {177, 137, 127, 177};
constexpr int kEventRowHeight = 18;

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(left, top, width, height);
}

QLabel* CreateLabel(QWidget* parent, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

TAlarmsForm::TAlarmsForm(Clock& clock, SoundPlayer& sound, ProgramFiles files, AlarmLimits& limits,
                         QWidget* parent)
    : QDialog(parent), clock_(clock), sound_(sound), files_(std::move(files)), limits_(limits) {
  setObjectName(QStringLiteral("AlarmsForm"));
  setWindowTitle(QStringLiteral("Alarmy"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  CreateControls();
  ConnectHandlers();
}

TAlarmsForm::~TAlarmsForm() = default;

void TAlarmsForm::CreateControls() {
  CreateGroup("GroupBox_TemperatureAlarm", " Teplota ", 8, AlarmLimit::TempHi, AlarmLimit::TempLo);
  CreateGroup("GroupBox_WindSpeedAlarm", " Rychlost vetru průměr ", 151, AlarmLimit::WindAvgHi,
              AlarmLimit::WindAvgLo);
  CreateGroup("GroupBox_GustAlarm", " Náraz větru ", 295, AlarmLimit::WindGustHi,
              AlarmLimit::WindGustLo);
  CreateGroup("GroupBox_WindchillAlarm", " Wind chill průměr ", 439, AlarmLimit::WindChillHi,
              AlarmLimit::WindChillLo);

  CreateEventList();

  Button_Zavrit = new QPushButton(QString::fromUtf8("Zavřít"), this);
  Button_Zavrit->setObjectName(QStringLiteral("Button_Zavrit"));
  // Not the default button either: Enter in this window does nothing, as in the editors.
  Button_Zavrit->setAutoDefault(false);
  Place(Button_Zavrit, 503, 349, 75, 25);
}

void TAlarmsForm::CreateGroup(const char* name, const char* caption, int left, AlarmLimit upper,
                              AlarmLimit lower) {
  auto* box = new QGroupBox(QString::fromUtf8(caption), this);
  box->setObjectName(QString::fromLatin1(name));
  Place(box, left, kGroupTop, kGroupWidth, kGroupHeight);
  CreateLabel(box, "Horní mez:", kLabelLeft, 22);
  CreateLimitControls(box, upper, 39, 35);
  CreateLabel(box, "Dolní mez:", kLabelLeft + 1, 68);
  CreateLimitControls(box, lower, 85, 83);
}

void TAlarmsForm::CreateLimitControls(QWidget* box, AlarmLimit limit, int editTop, int buttonTop) {
  CreateAlarmLimitControls(box, QString::fromLatin1(AlarmLimitName(limit)),
                           {QRect(kEditLeft, editTop, kEditWidth, kEditHeight),
                            QRect(kSpinnerLeft, editTop, kSpinnerWidth, kEditHeight),
                            QRect(kButtonLeft, buttonTop, kButtonSize, kButtonSize)},
                           limits_, limit);
}

void TAlarmsForm::CreateEventList() {
  Label_AlarmEvents = CreateLabel(this, "Události alarmu:", 8, 136);

  events_ = new AlarmEventModel(AlarmEventModel::kDefaultCapacity, this);
  StringGrid_AlarmEvents = new QTableView(this);
  StringGrid_AlarmEvents->setObjectName(QStringLiteral("StringGrid_AlarmEvents"));
  StringGrid_AlarmEvents->setModel(events_);
  Place(StringGrid_AlarmEvents, 8, 159, 570, 178);
  StringGrid_AlarmEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid_AlarmEvents->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid_AlarmEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid_AlarmEvents->setWordWrap(false);

  QHeaderView* rows = StringGrid_AlarmEvents->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(kEventRowHeight);

  QHeaderView* titles = StringGrid_AlarmEvents->horizontalHeader();
  titles->setSectionResizeMode(QHeaderView::Fixed);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  titles->setHighlightSections(false);
  titles->setFixedHeight(kEventRowHeight);
  for (int column = 0; column < AlarmEventModel::kColumnCount; ++column) {
    titles->resizeSection(column, kEventColumnWidths.at(static_cast<std::size_t>(column)));
  }
}

// The limits' own controls are bound to the shared limits where they are created.
void TAlarmsForm::ConnectHandlers() {
  connect(Button_Zavrit, &QPushButton::clicked, this, &TAlarmsForm::Button_ZavritClick);
}

// Closing leaves every limit, switch and event as it is.
void TAlarmsForm::Button_ZavritClick() { accept(); }
