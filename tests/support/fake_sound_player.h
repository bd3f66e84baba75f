#pragma once

#include <QString>
#include <QStringList>

#include "alarms/sound_player.h"

// Records every sound request instead of playing it.
class FakeSoundPlayer : public SoundPlayer {
 public:
  void PlayAsync(const QString& wavFile) override { requests.append(wavFile); }

  QStringList requests;
};
