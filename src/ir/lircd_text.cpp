#include "ir/lircd_text.h"

#include <algorithm>
#include <cctype>

namespace zapvane {

namespace {

constexpr int kValuesPerLine = 6;
constexpr int kEps = 30;     // percent of a duration a receiver may be off
constexpr int kAeps = 100;   // microseconds it may be off at least

std::string lircdName(const std::string& name) {
  std::string out = name.empty() ? "unnamed" : name;
  std::replace_if(out.begin(), out.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }, '_');
  return out;
}

}  // namespace

std::string lircdText(const std::string& remoteName, const std::vector<CodeSignal>& signals) {
  int32_t gap = 0;
  for (const CodeSignal& signal : signals) {
    if (signal.durations.size() % 2 == 0 && !signal.durations.empty()) gap = std::max(gap, signal.durations.back());
  }
  if (gap == 0) gap = kTrailingGapMicroseconds;
  std::string text = "begin remote\n  name  " + lircdName(remoteName) + "\n  flags RAW_CODES\n  eps   " +
                     std::to_string(kEps) + "\n  aeps  " + std::to_string(kAeps) + "\n  gap   " + std::to_string(gap) +
                     "\n  begin raw_codes\n";
  for (const CodeSignal& signal : signals) {
    if (signal.durations.empty()) continue;
    // A code begins and ends on a pulse: an odd count.
    const size_t count = signal.durations.size() - (signal.durations.size() % 2 == 0 ? 1 : 0);
    text += "    name " + lircdName(signal.name) + "\n";
    for (size_t i = 0; i < count; ++i) {
      text += (i % kValuesPerLine == 0 ? "      " : " ") + std::to_string(signal.durations[i]);
      if (i % kValuesPerLine == kValuesPerLine - 1 || i + 1 == count) text += "\n";
    }
  }
  text += "  end raw_codes\nend remote\n";
  return text;
}

}  // namespace zapvane
