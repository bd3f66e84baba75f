#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "alarms/sound_player.h"

// The program's sound player: QtSoundPlayer, from the sound module, which the program loads only
// when Load is called or the first sound plays. Qt Multimedia and the twenty-odd libraries under
// it (audio server, codecs, network) then load with it, not at start, where they would delay
// the window's first paint. Without the module every sound is silent, with one warning.
class ModuleSoundPlayer : public SoundPlayer {
 public:
  // moduleFiles: where to look for the module, first match wins.
  explicit ModuleSoundPlayer(QStringList moduleFiles);
  ~ModuleSoundPlayer() override;

  // Loads the module and creates its player once; false when there is none.
  bool Load();
  void PlayAsync(const QString& wavFile) override;

  // The module next to the executable (the build tree), then where the install puts it.
  static QStringList ProgramModuleFiles();

 private:
  QStringList moduleFiles_;
  bool tried_ = false;
  std::unique_ptr<SoundPlayer> player_;
};
