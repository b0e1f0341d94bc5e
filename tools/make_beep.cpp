// Writes the program's beep: a short 2 kHz tone, mono, 8-bit unsigned PCM at
// 11025 samples per second, 1961 samples (about 0.18 s), with 5 ms ramps so
// it does not click.
//   make_beep <out.wav>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t kSampleRate = 11025;
constexpr uint32_t kSamples = 1961;
constexpr double kToneHz = 2000.0;
constexpr double kRampSeconds = 0.005;
constexpr double kAmplitude = 90.0;  // of 127: loud enough, never clipping
constexpr double kPi = 3.14159265358979323846;

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8 & 0xFF));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_beep <out.wav>\n");
    return 2;
  }
  const uint32_t padded = kSamples + kSamples % 2;  // RIFF chunks are word-aligned
  std::vector<uint8_t> wav;
  putTag(wav, "RIFF");
  put32(wav, 4 + (8 + 16) + (8 + padded));
  putTag(wav, "WAVE");
  putTag(wav, "fmt ");
  put32(wav, 16);
  put16(wav, 1);            // PCM
  put16(wav, 1);            // mono
  put32(wav, kSampleRate);
  put32(wav, kSampleRate);  // bytes per second
  put16(wav, 1);            // block align
  put16(wav, 8);            // bits per sample
  putTag(wav, "data");
  put32(wav, kSamples);
  const double ramp = kRampSeconds * kSampleRate;
  for (uint32_t i = 0; i < kSamples; ++i) {
    const double t = static_cast<double>(i);
    const double envelope = std::fmin(1.0, std::fmin(t / ramp, (kSamples - 1 - t) / ramp));
    const double value = 128.0 + kAmplitude * envelope * std::sin(2.0 * kPi * kToneHz * t / kSampleRate);
    wav.push_back(static_cast<uint8_t>(std::lround(value)));
  }
  if (padded != kSamples) wav.push_back(0);

  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(wav.data(), 1, wav.size(), out) != wav.size() || std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
