#include "ir/pronto_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zapvane {

namespace {

constexpr size_t kHeaderWords = 4;
constexpr size_t kWordDigits = 4;
constexpr uint64_t kLearnedType = 0x0000;
constexpr uint64_t kMaxWord = 0xFFFF;

double periodMicroseconds(uint64_t carrierWord) { return static_cast<double>(carrierWord) * kProntoClockMicroseconds; }

uint64_t carrierWordFor(int32_t hertz) {
  return static_cast<uint64_t>(std::lround(1e6 / (static_cast<double>(hertz) * kProntoClockMicroseconds)));
}

std::string word(uint64_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04llX", static_cast<unsigned long long>(std::min(value, kMaxWord)));
  return text;
}

}  // namespace

Status parsePronto(std::string_view text, std::vector<CodeSignal>& signals) {
  std::vector<std::string_view> lines;
  const Status split = splitCodeLines(text, "the Pronto file", lines);
  if (!split.isOk()) return split;
  signals.clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = trimBlanks(lines[i]);
    if (line.empty() || line.front() == '#') continue;
    const std::string where = "the Pronto file, line " + std::to_string(i + 1) + ": ";
    CodeSignal signal{"Code " + std::to_string(signals.size() + 1), {}, {}};
    if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
      signal.name = trimBlanks(line.substr(0, colon));
      line = line.substr(colon + 1);
    }
    std::vector<uint64_t> words;
    for (const std::string_view digits : splitWords(line)) {
      uint64_t value = 0;
      if (digits.size() != kWordDigits || !parseUnsigned(digits, 16, value)) {
        return Status::corruption(where + "'" + std::string(digits.substr(0, 16)) + "' is no Pronto word");
      }
      words.push_back(value);
    }
    if (words.size() > kHeaderWords + kMaxSignalValues) {
      return Status::corruption(where + "more than " + std::to_string(kMaxSignalValues) + " values");
    }
    if (words.size() < kHeaderWords || words.size() != kHeaderWords + 2 * (words[2] + words[3])) {
      return Status::corruption(where + "its pair counts do not match its " + std::to_string(words.size()) + " words");
    }
    const uint64_t once = words[2];
    if (words[0] != kLearnedType) {
      signal.skipped = "not a learned Pronto code (type " + word(words[0]) + ")";
    } else if (words[1] == 0 || words[2] + words[3] == 0) {
      signal.skipped = "no carrier or no pairs";
    } else {
      const size_t first = kHeaderWords;  // the once-sent pairs, or the repeated ones when there are none
      const size_t count = 2 * (once > 0 ? once : words[3]);
      const double period = periodMicroseconds(words[1]);
      for (size_t k = first; k < first + count; ++k) {
        if (words[k] == 0) {
          signal.skipped = "bad numbers: a duration of 0";
          signal.durations.clear();
          break;
        }
        signal.durations.push_back(static_cast<int32_t>(std::lround(static_cast<double>(words[k]) * period)));
      }
    }
    signals.push_back(std::move(signal));
  }
  return Status::ok();
}

std::string prontoText(const std::vector<CodeSignal>& signals) {
  const uint64_t carrier = carrierWordFor(kExportCarrierHz);
  const double period = periodMicroseconds(carrier);
  std::string text;
  for (const CodeSignal& signal : signals) {
    std::vector<int32_t> durations = signal.durations;
    if (durations.size() % 2 == 1) durations.push_back(kTrailingGapMicroseconds);
    std::string name = signal.name;
    std::replace(name.begin(), name.end(), ':', '_');  // the colon ends the name
    text += name + ": " + word(kLearnedType) + " " + word(carrier) + " " + word(durations.size() / 2) + " " +
            word(0);
    for (const int32_t d : durations) text += " " + word(static_cast<uint64_t>(std::lround(d / period)));
    text += "\n";
  }
  return text;
}

}  // namespace zapvane
