#pragma once

#include <QString>

// Plays a sound file without waiting for it. The program plays through Qt Multimedia; tests
// count the requests. A missing file or a machine without audio stays silent.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void PlayAsync(const QString& wavFile) = 0;
};
