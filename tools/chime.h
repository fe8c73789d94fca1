// The arrival and departure chimes: short two-tone bell sounds written as
// 16-bit mono PCM WAV files.
#pragma once
#include <cstdint>
#include <vector>

namespace artgen {

constexpr int kChimeSampleRate = 22050;

// Two bell tones, the second struck 0.15 s after the first, about 0.4 s in
// all. A rising pair greets an arrival, a falling pair sees a departure off.
std::vector<std::int16_t> SynthesizeChime(double first_hz, double second_hz);

// The bytes of a WAV file holding the samples (mono, 16 bits, 22050 Hz).
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples);

}  // namespace artgen
