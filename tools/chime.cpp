#include "chime.h"

#include <algorithm>
#include <cmath>

namespace artgen {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLength = 0.40;        // seconds
constexpr double kSecondStrike = 0.15;  // seconds after the first tone
constexpr double kAttack = 0.004;       // soft start, avoids a click
constexpr double kRelease = 0.03;       // fade to silence at the very end
constexpr double kLevel = 0.40;         // peak level of one tone

// One struck bell tone at time t after the strike: a sine with a quieter
// octave and twelfth above it, decaying the higher partials faster.
double BellTone(double hz, double t) {
  if (t < 0) return 0;
  const double attack = std::min(1.0, t / kAttack);
  const double fundamental = std::sin(2 * kPi * hz * t) * std::exp(-t * 7.0);
  const double octave = 0.35 * std::sin(2 * kPi * 2 * hz * t) * std::exp(-t * 12.0);
  const double twelfth = 0.12 * std::sin(2 * kPi * 3 * hz * t) * std::exp(-t * 18.0);
  return attack * (fundamental + octave + twelfth);
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

std::vector<std::int16_t> SynthesizeChime(double first_hz, double second_hz) {
  const int count = static_cast<int>(kLength * kChimeSampleRate);
  std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kChimeSampleRate;
    const double release = std::min(1.0, (kLength - t) / kRelease);
    const double value =
        kLevel * release * (0.8 * BellTone(first_hz, t) + BellTone(second_hz, t - kSecondStrike));
    samples[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
  }
  return samples;
}

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples) {
  constexpr std::uint32_t kChannels = 1;
  constexpr std::uint32_t kBytesPerSample = 2;
  const auto data_size = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
  std::vector<std::uint8_t> out;
  PutTag(out, "RIFF");
  PutLe(out, 36 + data_size, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, 16, 4);  // size of the format chunk
  PutLe(out, 1, 2);   // PCM
  PutLe(out, kChannels, 2);
  PutLe(out, kChimeSampleRate, 4);
  PutLe(out, kChimeSampleRate * kChannels * kBytesPerSample, 4);  // bytes per second
  PutLe(out, kChannels * kBytesPerSample, 2);                     // block align
  PutLe(out, 8 * kBytesPerSample, 2);                             // bits per sample
  PutTag(out, "data");
  PutLe(out, data_size, 4);
  for (std::int16_t sample : samples) PutLe(out, static_cast<std::uint16_t>(sample), 2);
  return out;
}

}  // namespace artgen
