#include "ui/desktop/module_sound_player.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QtDebug>
#include <utility>

namespace {

const char* const kModuleFile = "kelvra-anemometer-sound.so";
const char* const kCreatePlayer = "kelvra_anemometer_create_sound_player";

}  // namespace

ModuleSoundPlayer::ModuleSoundPlayer(QStringList moduleFiles)
    : moduleFiles_(std::move(moduleFiles)) {}

// The module stays loaded after its player is gone: Qt Multimedia keeps threads and handlers.
ModuleSoundPlayer::~ModuleSoundPlayer() = default;

QStringList ModuleSoundPlayer::ProgramModuleFiles() {
  const QString programDir = QCoreApplication::applicationDirPath();
  return {programDir + QLatin1Char('/') + QLatin1String(kModuleFile),
          programDir + QLatin1Char('/') + QStringLiteral(ANEMOMETER_SOUND_MODULE_DIR) +
              QLatin1Char('/') + QLatin1String(kModuleFile)};
}

bool ModuleSoundPlayer::Load() {
  if (tried_) return player_ != nullptr;
  tried_ = true;
  QString errors;
  for (const QString& file : moduleFiles_) {
    if (!QFileInfo::exists(file)) continue;
    QLibrary module(file);
    using Create = SoundPlayer* (*)();
    const auto create = reinterpret_cast<Create>(module.resolve(kCreatePlayer));
    if (create != nullptr) {
      player_.reset(create());
      return true;
    }
    errors += QLatin1Char(' ') + module.errorString();
  }
  qWarning().noquote() << "No sound module" << moduleFiles_.join(QStringLiteral(", "))
                       << "- alarms stay silent." << errors;
  return false;
}

void ModuleSoundPlayer::PlayAsync(const QString& wavFile) {
  if (Load()) player_->PlayAsync(wavFile);
}
