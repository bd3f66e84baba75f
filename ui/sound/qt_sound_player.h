#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "alarms/sound_player.h"

class QSoundEffect;

// Plays WAV files through Qt Multimedia. Each request gets a voice that is not playing, so a
// new alarm never cuts off the one still sounding; a few voices are kept and reused. Loading
// and playing happen in the background: PlayAsync returns at once, and a missing file, an
// unreadable one or a machine without audio output is silent.
class QtSoundPlayer : public QObject, public SoundPlayer {
  Q_OBJECT
 public:
  static constexpr int kMaxVoices = 8;

  // Asks Qt Multimedia whether there is an audio output at the moment of each request.
  explicit QtSoundPlayer(QObject* parent = nullptr);
  // hasAudioOutput answers the same question, for tests that need a fixed answer.
  QtSoundPlayer(std::function<bool()> hasAudioOutput, QObject* parent = nullptr);
  ~QtSoundPlayer() override;

  void PlayAsync(const QString& wavFile) override;

  // Voices created so far (at most kMaxVoices), and those of them sounding or about to.
  int VoiceCount() const;
  int PlayingVoiceCount() const;
  // Voices whose sound file is still being read, on Qt Multimedia's loading thread.
  int LoadingVoiceCount() const;

 private:
  QSoundEffect* IdleVoice();

  std::function<bool()> hasAudioOutput_;
  QList<QSoundEffect*> voices_;
};
