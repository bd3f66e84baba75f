// The entry point of the sound module (kelvra-anemometer-sound.so), which the program loads with
// Qt Multimedia when it first needs the sound player (see ui/desktop/module_sound_player.h).
#include <QtGlobal>

#include "ui/sound/qt_sound_player.h"

extern "C" Q_DECL_EXPORT SoundPlayer* kelvra_anemometer_create_sound_player() {
  return new QtSoundPlayer();
}
