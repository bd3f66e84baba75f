#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ui/desktop/module_sound_player.h"
#include "ui/sound/qt_sound_player.h"

namespace {

// Writes 30 s of silence as 16-bit mono PCM at 8 kHz.
void WriteSilentWav(const QString& path) {
  constexpr quint32 kBytes = 8000 * 2 * 30;
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  QDataStream out(&file);
  out.setByteOrder(QDataStream::LittleEndian);
  out.writeRawData("RIFF", 4);
  out << quint32(36 + kBytes);
  out.writeRawData("WAVEfmt ", 8);
  out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
      << quint16(16);
  out.writeRawData("data", 4);
  out << kBytes;
  out.writeRawData(QByteArray(kBytes, '\0').constData(), kBytes);
}

TEST(QtSoundPlayer, AMissingFileIsSilentAndFreesItsVoice) {
  QTemporaryDir dir;
  const QString missing = dir.filePath(QStringLiteral("alarm.wav"));
  // Whatever audio this machine has, the request returns and nothing goes on sounding.
  QtSoundPlayer systemPlayer;
  systemPlayer.PlayAsync(missing);
  EXPECT_TRUE(QTest::qWaitFor([&] { return systemPlayer.PlayingVoiceCount() == 0; }, 10000));

  QtSoundPlayer player([] { return true; });
  for (int i = 0; i < 3; ++i) {
    player.PlayAsync(missing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.PlayingVoiceCount() == 0; }, 10000));
  }
  EXPECT_EQ(player.VoiceCount(), 1);
}

TEST(QtSoundPlayer, ANewRequestNeverCutsOffASoundStillPlaying) {
  QTemporaryDir dir;
  const QString wav = dir.filePath(QStringLiteral("alarm.wav"));
  WriteSilentWav(wav);
  QtSoundPlayer player([] { return true; });
  for (int i = 0; i < 3; ++i) player.PlayAsync(wav);
  EXPECT_EQ(player.PlayingVoiceCount(), 3);
  // However many alarms pile up, the voices stay few. Destroyed while loading or playing.
  for (int i = 0; i < 2 * QtSoundPlayer::kMaxVoices; ++i) player.PlayAsync(wav);
  EXPECT_EQ(player.VoiceCount(), QtSoundPlayer::kMaxVoices);

  QtSoundPlayer withoutOutput([] { return false; });
  withoutOutput.PlayAsync(wav);
  EXPECT_EQ(withoutOutput.VoiceCount(), 0);
  // Destroyed while playing, but not while Qt Multimedia 6.4's loading thread still reads the
  // file: that thread can outlive the application object and crash the process at its exit.
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.LoadingVoiceCount() == 0; }, 10000));
}

// The program's player loads QtSoundPlayer from the sound module on first use, taking the first
// listed file that is the module; without one every sound is silent.
TEST(ModuleSoundPlayer, LoadsTheFirstListedModuleElseStaysSilent) {
  QTemporaryDir dir;
  const QString notAModule = dir.filePath(QStringLiteral("kelvra-anemometer-sound.so"));
  QFile file(notAModule);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a library");
  file.close();
  const QString missing = dir.filePath(QStringLiteral("missing.so"));
  const QString wav = dir.filePath(QStringLiteral("missing.wav"));

  ModuleSoundPlayer player({missing, notAModule, QStringLiteral(ANEMOMETER_SOUND_MODULE)});
  EXPECT_TRUE(player.Load());
  player.PlayAsync(wav);

  ModuleSoundPlayer none({missing, notAModule});
  none.PlayAsync(wav);
  EXPECT_FALSE(none.Load());
  EXPECT_FALSE(ModuleSoundPlayer({}).Load());
}

}  // namespace
