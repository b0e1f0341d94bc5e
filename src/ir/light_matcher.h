// Recognises a frame of light (mode2 pulse and space durations) as the
// command of a built-in device: every built-in command's frame is rendered
// once at adjustment 0, and a frame matches when it has the same number of
// pulses and spaces and each lies within 25 % of the rendered one. The bits
// decide the marks and spaces, so a match is a match of the code.
//
// Threads: build once, then match from any thread (read-only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"

namespace zapvane {

struct LightMatch {
  int32_t device;   // catalogue index of a built-in device
  int32_t command;  // command index
  std::string code; // the code bits in hex, as many digits as the bits need
};

class LightMatcher {
 public:
  LightMatcher();

  // Every built-in command whose frame the light matches, in catalogue and
  // command order.
  std::vector<LightMatch> match(const std::vector<int64_t>& durations) const;

  // The code of a built-in command as hex, e.g. "810" or "400401000809".
  static std::string codeHex(const DeviceProfile& profile, int32_t command);

 private:
  struct Rendered {
    int32_t device;
    int32_t command;
    std::string code;
    std::vector<int64_t> durations;
  };
  std::vector<Rendered> rendered_;
};

}  // namespace zapvane
