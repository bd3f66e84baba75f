#include "ui/sound/qt_sound_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>
#include <utility>

QtSoundPlayer::QtSoundPlayer(QObject* parent)
    : QtSoundPlayer([] { return !QMediaDevices::defaultAudioOutput().isNull(); }, parent) {}

QtSoundPlayer::QtSoundPlayer(std::function<bool()> hasAudioOutput, QObject* parent)
    : QObject(parent), hasAudioOutput_(std::move(hasAudioOutput)) {}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::PlayAsync(const QString& wavFile) {
  // Without an output device a sound effect reports itself playing for ever and would hold
  // its voice; there is nothing to hear anyway.
  if (!hasAudioOutput_()) {
    return;
  }
  QSoundEffect* voice = IdleVoice();
  if (voice == nullptr) {
    return;  // every voice is sounding an alarm already
  }
  const QUrl source = QUrl::fromLocalFile(wavFile);
  // A voice that failed to load (the user may have put the file in place since) loads again.
  if (voice->source() != source || voice->status() == QSoundEffect::Error) {
    voice->setSource(QUrl());
    voice->setSource(source);
  }
  voice->play();
}

int QtSoundPlayer::VoiceCount() const { return static_cast<int>(voices_.size()); }

int QtSoundPlayer::PlayingVoiceCount() const {
  return static_cast<int>(std::count_if(voices_.begin(), voices_.end(),
                                        [](QSoundEffect* voice) { return voice->isPlaying(); }));
}

int QtSoundPlayer::LoadingVoiceCount() const {
  return static_cast<int>(std::count_if(voices_.begin(), voices_.end(), [](QSoundEffect* voice) {
    return voice->status() == QSoundEffect::Loading;
  }));
}

QSoundEffect* QtSoundPlayer::IdleVoice() {
  // A voice asked to play while its file is still loading already counts as playing.
  for (QSoundEffect* voice : voices_) {
    if (!voice->isPlaying()) {
      return voice;
    }
  }
  if (voices_.size() >= kMaxVoices) {
    return nullptr;
  }
  voices_.append(new QSoundEffect(this));
  return voices_.back();
}
