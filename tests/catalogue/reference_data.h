// The reference data under tests/data, typed from the printed device sheets
// and worked out from the rules apart from the sources: a reader for its
// tab-separated tables, and the sheets of the 38 built-in devices. A target
// that includes this defines ZAPVANE_TEST_DATA as the path of tests/data.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"

namespace zapvane::testing {

using Row = std::vector<std::string>;

inline Row split(const std::string& text, char separator) {
  Row parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

inline std::vector<int32_t> numbers(const std::string& text) {
  std::vector<int32_t> values;
  std::istringstream in(text);
  for (int32_t n = 0; in >> n;) values.push_back(n);
  return values;
}

// The rows of tests/data/<name>, split at tabs; blank and '#' lines skipped.
inline std::vector<Row> readTable(const std::string& name) {
  std::ifstream in(std::string(ZAPVANE_TEST_DATA) + "/" + name);
  EXPECT_TRUE(in.is_open()) << "no " << name;
  std::vector<Row> rows;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') rows.push_back(split(line, '\t'));
  }
  return rows;
}

// The fields in the order the timing sheets list them, then trailerSpace and trailerWait.
inline FrameTiming timingOf(const std::vector<int32_t>& values) {
  using T = FrameTiming;
  constexpr int32_t T::*kFields[] = {&T::headerMark, &T::headerSpace, &T::oneMark,     &T::oneSpace, &T::zeroMark,
                                     &T::zeroSpace,  &T::trailerMark, &T::tailWait1,   &T::tailMark1, &T::tailWait2,
                                     &T::tailMark2,  &T::codeBits,    &T::trailerSpace, &T::trailerWait};
  FrameTiming timing;
  for (size_t i = 0; i < values.size() && i < std::size(kFields); ++i) timing.*kFields[i] = values[i];
  return timing;
}

struct DeviceSheet {
  std::string name;
  FrameTiming timing;
  int32_t skin = 0, frameGap = 0, mainCommands = 0;
  Row labels;
  std::vector<std::optional<uint64_t>> codes;  // per command index; none when absent
  std::map<int32_t, int32_t> extraDelays;      // command index -> ms

  // The code's bits as they are sent, the most significant first.
  std::string bits(int32_t command) const {
    std::string text;
    for (int b = timing.codeBits - 1; b >= 0; --b) text += (*codes[static_cast<size_t>(command)] >> b & 1) ? '1' : '0';
    return text;
  }
};

inline const std::vector<DeviceSheet>& deviceSheets() {
  static const std::vector<DeviceSheet> sheets = [] {
    std::vector<FrameTiming> sets;
    for (const Row& r : readTable("catalogue/timing_sets.tsv")) sets.push_back(timingOf(numbers(r.at(1))));
    std::vector<DeviceSheet> all;
    for (const Row& r : readTable("catalogue/device_sheets.tsv")) {
      DeviceSheet& s = all.emplace_back();
      s.name = r.at(1), s.timing = sets.at(std::stoul(r.at(2)) - 1);
      s.skin = r.at(3) == "tv" ? kTvSkin : kVcrSkin, s.frameGap = std::stoi(r.at(4));
      const Row form = split(r.at(5), ':');  // "listed", "upper16:XXXX" or "codeHigh:XXXX"
      const int shift = form[0] == "upper16" ? 16 : form[0] == "codeHigh" ? 32 : 0;
      const uint64_t high = shift == 0 ? 0 : std::stoull(form.at(1), nullptr, 16) << shift;
      Row codes = split(r.at(6), ' ');
      s.mainCommands = static_cast<int32_t>(codes.size());
      for (const std::string& code : r.at(7) == "-" ? Row{} : split(r[7], ' ')) codes.push_back(code);
      for (const std::string& code : codes) {
        s.codes.push_back(code == "--" ? std::nullopt : std::optional(high | std::stoull(code, nullptr, 16)));
      }
      if (r.at(8) != "-") s.labels = split(r[8], '|');
    }
    for (const Row& r : readTable("catalogue/extra_delays.tsv")) {
      all.at(std::stoul(r.at(0))).extraDelays[std::stoi(r.at(1))] = std::stoi(r.at(2));
    }
    return all;
  }();
  return sheets;
}

}  // namespace zapvane::testing
