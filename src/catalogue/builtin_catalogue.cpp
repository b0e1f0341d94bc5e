#include "catalogue/builtin_catalogue.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "catalogue/builtin_catalogue_data.h"

namespace zapvane {
namespace {

using builtin::CodeForm;
using builtin::DeviceSource;
using builtin::kBuiltInSources;
using builtin::kExtraDelays;
using builtin::kTimingSets;

// --- compile-time reading of the hex sources --------------------------------

constexpr bool isSeparator(char c) { return c == ' '; }

constexpr int countWords(std::string_view text) {
  int count = 0;
  bool inWord = false;
  for (char c : text) {
    if (isSeparator(c)) {
      inWord = false;
    } else if (!inWord) {
      inWord = true;
      ++count;
    }
  }
  return count;
}

constexpr std::string_view nthWord(std::string_view text, int n) {
  size_t pos = 0;
  for (int i = 0;; ++i) {
    while (pos < text.size() && isSeparator(text[pos])) ++pos;
    size_t end = pos;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    if (i == n) return text.substr(pos, end - pos);
    pos = end;
  }
}

constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A word that is neither "--" nor upper-case hex of at most eight digits is
// not a constant expression, so a typo in the sources fails the build.
constexpr bool isAbsentWord(std::string_view word) { return word == "--"; }

constexpr uint32_t parseHex(std::string_view word) {
  if (word.empty() || word.size() > 8) throw "code word must have 1 to 8 hex digits";
  uint32_t value = 0;
  for (char c : word) {
    int digit = hexDigit(c);
    if (digit < 0) throw "code word is not upper-case hex";
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return value;
}

constexpr int labelCountOf(const DeviceSource& d) {
  return static_cast<int>(std::count_if(d.labels.begin(), d.labels.end(),
                                        [](const char16_t* label) { return label != nullptr; }));
}

constexpr int commandCountOf(const DeviceSource& d) {
  return countWords(d.mainCodes) + countWords(d.shiftCodes);
}

constexpr int codeBitsOf(const DeviceSource& d) { return kTimingSets[static_cast<size_t>(d.timingSet - 1)].codeBits; }

constexpr size_t rowWordsOf(const DeviceSource& d) {
  return static_cast<size_t>(commandCountOf(d) * rowWidth(codeBitsOf(d)));
}

constexpr bool sourcesAreConsistent() {
  for (const DeviceSource& d : kBuiltInSources) {
    if (d.timingSet < 1 || d.timingSet > static_cast<int>(kTimingSets.size())) return false;
    if (countWords(d.mainCodes) != mainPageCommands(d.skinType)) return false;
    if (countWords(d.shiftCodes) != labelCountOf(d)) return false;
    for (int k = 0; k < labelCountOf(d); ++k) {
      if (d.labels[static_cast<size_t>(k)] == nullptr) return false;  // labels fill slots in order
    }
    int bits = codeBitsOf(d);
    if (d.form == CodeForm::codeHigh && bits <= 32) return false;
    if (d.form != CodeForm::codeHigh && bits > 32) return false;
    if (d.form == CodeForm::upper16 && bits != 32) return false;
  }
  for (const auto& delay : kExtraDelays) {
    if (delay.device < 0 || delay.device >= kBuiltInCount) return false;
    const DeviceSource& d = kBuiltInSources[static_cast<size_t>(delay.device)];
    if (delay.command < 0 || delay.command >= commandCountOf(d)) return false;
  }
  return true;
}
static_assert(sourcesAreConsistent(), "built-in device sources disagree with their counts or timing sets");

constexpr size_t totalRowWords() {
  size_t total = 0;
  for (const DeviceSource& d : kBuiltInSources) total += rowWordsOf(d);
  return total;
}

constexpr std::array<size_t, kBuiltInCount> rowOffsets() {
  std::array<size_t, kBuiltInCount> offsets{};
  size_t next = 0;
  for (size_t i = 0; i < kBuiltInSources.size(); ++i) {
    offsets[i] = next;
    next += rowWordsOf(kBuiltInSources[i]);
  }
  return offsets;
}

constexpr int32_t extraDelayOf(int device, int command) {
  for (const auto& delay : kExtraDelays) {
    if (delay.device == device && delay.command == command) return delay.milliseconds;
  }
  return 0;
}

// Every row of every device, back to back; device i starts at kRowOffsets[i].
constexpr std::array<size_t, kBuiltInCount> kRowOffsets = rowOffsets();
constexpr std::array<uint32_t, totalRowWords()> kCodeWords = [] {
  std::array<uint32_t, totalRowWords()> words{};
  for (size_t i = 0; i < kBuiltInSources.size(); ++i) {
    const DeviceSource& d = kBuiltInSources[i];
    const int width = rowWidth(codeBitsOf(d));
    const int mainCount = countWords(d.mainCodes);
    for (int command = 0; command < commandCountOf(d); ++command) {
      const bool onShift = command >= mainCount;
      const std::string_view word =
          onShift ? nthWord(d.shiftCodes, command - mainCount) : nthWord(d.mainCodes, command);
      uint32_t* row = &words[kRowOffsets[i] + static_cast<size_t>(command * width)];
      if (isAbsentWord(word)) {
        row[0] = kAbsentCode;  // the remaining words of an absent row are never read
        continue;
      }
      const uint32_t listed = parseHex(word);
      switch (d.form) {
        case CodeForm::asListed: row[0] = listed; break;
        case CodeForm::upper16: row[0] = (d.formValue << 16) | listed; break;
        case CodeForm::codeHigh:
          row[0] = d.formValue;
          row[1] = listed;
          break;
      }
      row[width - 3] = static_cast<uint32_t>(extraDelayOf(static_cast<int>(i), command));
      row[width - 2] = onShift ? 1u : 0u;
      row[width - 1] = onShift ? static_cast<uint32_t>(command - mainCount) : 0u;
    }
  }
  return words;
}();

}  // namespace

void fillBuiltInProfiles(std::array<DeviceProfile, kBuiltInCount>& profiles) {
  for (size_t i = 0; i < kBuiltInSources.size(); ++i) {
    const DeviceSource& source = kBuiltInSources[i];
    DeviceProfile& p = profiles[i];

    p.name.fill(0);
    std::copy_n(source.name.begin(), std::min<size_t>(source.name.size(), kNameUnits - 1), p.name.begin());
    p.timing = kTimingSets[static_cast<size_t>(source.timingSet - 1)];
    p.commandCount = commandCountOf(source);
    p.codeTable = kCodeWords.data() + kRowOffsets[i];
    p.labelCount = labelCountOf(source);
    p.labelTable = p.labelCount > 0 ? source.labels.data() : nullptr;
    p.frameGap = source.frameGap;
    p.skinType = source.skinType;
    p.isLearned = 0;
    p.learnedSlots = nullptr;
    p.spaceAdjust = 0;
    p.markAdjust = 0;
    p.userIndex = 0;
  }
}

}  // namespace zapvane
