#pragma once

class QAbstractButton;

// Arms or disarms one limit: flips the flag and shows on the button what a click will do
// next ("Zap" while disarmed, "Vyp" while armed). Used by both windows' arm buttons.
void ToggleAlarmSwitch(int& armed, QAbstractButton& button);

// The caption of an arm button for the given state.
const char* AlarmSwitchCaption(int armed);
