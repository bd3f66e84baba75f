// Writes the default alarm sound: three short 880 Hz beeps as a 16-bit mono PCM WAV file.
//   make_alarm_sound OUTPUT.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr double kToneHz = 880.0;
constexpr double kBeepSeconds = 0.15;
constexpr double kGapSeconds = 0.08;
constexpr int kBeeps = 3;
constexpr double kFadeSeconds = 0.005;  // no click at the start and end of a beep
constexpr double kAmplitude = 0.5 * 32767;

void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::vector<std::int16_t> Samples() {
  std::vector<std::int16_t> samples;
  const auto beep = static_cast<std::size_t>(kBeepSeconds * kRate);
  const auto gap = static_cast<std::size_t>(kGapSeconds * kRate);
  const double fade = kFadeSeconds * kRate;
  for (int n = 0; n < kBeeps; ++n) {
    for (std::size_t i = 0; i < beep; ++i) {
      const double t = static_cast<double>(i);
      const double envelope = std::min({1.0, t / fade, static_cast<double>(beep - i) / fade});
      const double value =
          kAmplitude * envelope * std::sin(2 * std::numbers::pi * kToneHz * t / kRate);
      samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    samples.insert(samples.end(), gap, 0);
  }
  return samples;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_alarm_sound OUTPUT.wav\n");
    return 2;
  }
  const std::vector<std::int16_t> samples = Samples();
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string wav = "RIFF";
  Put(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  Put(wav, 16, 4);  // format chunk size
  Put(wav, 1, 2);   // PCM
  Put(wav, 1, 2);   // mono
  Put(wav, kRate, 4);
  Put(wav, kRate * 2, 4);  // bytes per second
  Put(wav, 2, 2);          // bytes per frame
  Put(wav, 16, 2);         // bits per sample
  wav += "data";
  Put(wav, dataBytes, 4);
  for (std::int16_t sample : samples) Put(wav, static_cast<std::uint16_t>(sample), 2);

  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(wav.data(), static_cast<std::streamsize>(wav.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_alarm_sound: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
