#include "cli/sim_log_reader.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace zapvane::cli {

namespace {

// "pulse N" / "space N" lines; anything else is skipped.
std::vector<int64_t> parseFrame(const std::string& text) {
  std::vector<int64_t> durations;
  std::istringstream lines(text);
  std::string word, number;
  while (lines >> word >> number) {
    if (word != "pulse" && word != "space") continue;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) value = number[0] == '-' ? 0 : kMaxLoggedMicroseconds;
    if (ec != std::errc() && ec != std::errc::result_out_of_range) continue;
    durations.push_back(std::clamp<int64_t>(value, 0, kMaxLoggedMicroseconds));
  }
  return durations;
}

}  // namespace

std::vector<std::vector<int64_t>> SimLogReader::readNewFrames() {
  std::vector<std::vector<int64_t>> frames;
  const uint64_t before = position_.at;
  std::string text;
  bool atEnd = true;
  if (!readSimLog(path_, position_, kSimLogReadBytes, text, atEnd).isOk()) return frames;
  caughtUp_ = atEnd;
  if (position_.at - text.size() != before) pending_.clear();  // not where the last read stopped
  pending_ += text;

  size_t start = 0;
  for (size_t end; (end = pending_.find("\n\n", start)) != std::string::npos; start = end + 2) {
    std::vector<int64_t> frame = parseFrame(pending_.substr(start, end - start));
    if (!frame.empty()) frames.push_back(std::move(frame));
  }
  pending_.erase(0, start);
  if (pending_.size() > kSimLogReadBytes) pending_.clear();
  return frames;
}

}  // namespace zapvane::cli
