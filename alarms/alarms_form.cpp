#include "alarms_form.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <utility>

#include "alarm_event_model.h"
#include "alarm_switch.h"

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

TAlarmsForm::TAlarmsForm(Clock& clock, SoundPlayer& sound, ProgramFiles files, QWidget* parent)
    : QDialog(parent), clock_(clock), sound_(sound), files_(std::move(files)) {
  setObjectName(QStringLiteral("AlarmsForm"));
  setWindowTitle(QStringLiteral("Alarmy"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  CreateControls();
  ConnectHandlers();
  FormCreate();
}

TAlarmsForm::~TAlarmsForm() = default;

void TAlarmsForm::SetTwin(AlarmTwinWindow* twin) { twin_ = twin; }

void TAlarmsForm::FormCreate() {
  for (AlarmLimit limit : kAlarmLimitsInCheckOrder) {
    Controls(limit).edit->setText(QStringLiteral("0"));
    armed_.at(IndexOf(limit)) = 0;
  }
}

void TAlarmsForm::CreateControls() {
  GroupBox_TemperatureAlarm = CreateGroup("GroupBox_TemperatureAlarm", " Teplota ", 8,
                                          AlarmLimit::TempHi, AlarmLimit::TempLo);
  GroupBox_WindSpeedAlarm = CreateGroup("GroupBox_WindSpeedAlarm", " Rychlost vetru průměr ", 151,
                                        AlarmLimit::WindAvgHi, AlarmLimit::WindAvgLo);
  GroupBox_GustAlarm = CreateGroup("GroupBox_GustAlarm", " Náraz větru ", 295,
                                   AlarmLimit::WindGustHi, AlarmLimit::WindGustLo);
  GroupBox_WindchillAlarm = CreateGroup("GroupBox_WindchillAlarm", " Wind chill průměr ", 439,
                                        AlarmLimit::WindChillHi, AlarmLimit::WindChillLo);

  auto named = [this](AlarmLimit limit) { return Controls(limit); };
  Edit_TempHi = named(AlarmLimit::TempHi).edit;
  UpDown_TempHi = named(AlarmLimit::TempHi).upDown;
  Button_TempHi = named(AlarmLimit::TempHi).button;
  Edit_TempLo = named(AlarmLimit::TempLo).edit;
  UpDown_TempLo = named(AlarmLimit::TempLo).upDown;
  Button_TempLo = named(AlarmLimit::TempLo).button;
  Edit_WindAvgHi = named(AlarmLimit::WindAvgHi).edit;
  UpDown_WindAvgHi = named(AlarmLimit::WindAvgHi).upDown;
  Button_WindAvgHi = named(AlarmLimit::WindAvgHi).button;
  Edit_WindAvgLo = named(AlarmLimit::WindAvgLo).edit;
  UpDown_WindAvgLo = named(AlarmLimit::WindAvgLo).upDown;
  Button_WindAvgLo = named(AlarmLimit::WindAvgLo).button;
  Edit_WindGustHi = named(AlarmLimit::WindGustHi).edit;
  UpDown_WindGustHi = named(AlarmLimit::WindGustHi).upDown;
  Button_WindGustHi = named(AlarmLimit::WindGustHi).button;
  Edit_WindGustLo = named(AlarmLimit::WindGustLo).edit;
  UpDown_WindGustLo = named(AlarmLimit::WindGustLo).upDown;
  Button_WindGustLo = named(AlarmLimit::WindGustLo).button;
  Edit_WindChillHi = named(AlarmLimit::WindChillHi).edit;
  UpDown_WindChillHi = named(AlarmLimit::WindChillHi).upDown;
  Button_WindChillHi = named(AlarmLimit::WindChillHi).button;
  Edit_WindChillLo = named(AlarmLimit::WindChillLo).edit;
  UpDown_WindChillLo = named(AlarmLimit::WindChillLo).upDown;
  Button_WindChillLo = named(AlarmLimit::WindChillLo).button;

  CreateEventList();

  Button_Zavrit = new QPushButton(QString::fromUtf8("Zavřít"), this);
  Button_Zavrit->setObjectName(QStringLiteral("Button_Zavrit"));
  // Not the default button either: Enter in this window does nothing, as in the editors.
  Button_Zavrit->setAutoDefault(false);
  Place(Button_Zavrit, 503, 349, 75, 25);
}

QGroupBox* TAlarmsForm::CreateGroup(const char* name, const char* caption, int left,
                                    AlarmLimit upper, AlarmLimit lower) {
  auto* box = new QGroupBox(QString::fromUtf8(caption), this);
  box->setObjectName(QString::fromLatin1(name));
  Place(box, left, kGroupTop, kGroupWidth, kGroupHeight);
  CreateLabel(box, "Horní mez:", kLabelLeft, 22);
  controls_.at(IndexOf(upper)) = CreateLimitControls(box, upper, 39, 35);
  CreateLabel(box, "Dolní mez:", kLabelLeft + 1, 68);
  controls_.at(IndexOf(lower)) = CreateLimitControls(box, lower, 85, 83);
  return box;
}

TAlarmsForm::LimitControls TAlarmsForm::CreateLimitControls(QGroupBox* box, AlarmLimit limit,
                                                            int editTop, int buttonTop) {
  const QString name = QString::fromLatin1(AlarmLimitName(limit));
  LimitControls controls;

  controls.edit = new QLineEdit(box);
  controls.edit->setObjectName(QStringLiteral("Edit_") + name);
  controls.edit->setReadOnly(true);
  Place(controls.edit, kEditLeft, editTop, kEditWidth, kEditHeight);

  controls.upDown = new TUpDown(box);
  controls.upDown->setObjectName(QStringLiteral("UpDown_") + name);
  Place(controls.upDown, kSpinnerLeft, editTop, kSpinnerWidth, kEditHeight);

  controls.button = new QPushButton(QString::fromLatin1(AlarmSwitchCaption(0)), box);
  controls.button->setObjectName(QStringLiteral("Button_") + name);
  // Enter must not arm or disarm a limit behind the user's back.
  controls.button->setAutoDefault(false);
  Place(controls.button, kButtonLeft, buttonTop, kButtonSize, kButtonSize);
  return controls;
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

bool TAlarmsForm::IsArmed(AlarmLimit limit) const { return armed_.at(IndexOf(limit)) != 0; }

const TAlarmsForm::LimitControls& TAlarmsForm::Controls(AlarmLimit limit) const {
  return controls_.at(IndexOf(limit));
}
