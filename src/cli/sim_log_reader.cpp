#include "cli/sim_log_reader.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <string_view>

#include "platform/real_file_system.h"

namespace zapvane::cli {

namespace {

constexpr std::string_view kStampPrefix = "# ";
constexpr size_t kMonitorPositionBytes = 128;

// "pulse N" / "space N" lines and the "# time" line; anything else is skipped.
LoggedFrame parseFrame(const std::string& text) {
  LoggedFrame frame;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(kStampPrefix, 0) == 0) {
      frame.sentAt = line.substr(kStampPrefix.size());
      continue;
    }
    std::istringstream words(line);
    std::string word, number;
    if (!(words >> word >> number) || (word != "pulse" && word != "space")) continue;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) value = number[0] == '-' ? 0 : kMaxLoggedMicroseconds;
    if (ec != std::errc() && ec != std::errc::result_out_of_range) continue;
    frame.durations.push_back(std::clamp<int64_t>(value, 0, kMaxLoggedMicroseconds));
  }
  return frame;
}

}  // namespace

std::vector<LoggedFrame> SimLogReader::readNewFrames() {
  std::vector<LoggedFrame> frames;
  const uint64_t before = position_.at;
  std::string text;
  bool atEnd = true;
  if (!readSimLog(path_, position_, kSimLogReadBytes, text, atEnd).isOk()) return frames;
  caughtUp_ = atEnd;
  if (position_.at - text.size() != before) pending_.clear();  // not where the last read stopped
  pending_ += text;

  size_t start = 0;
  for (size_t end; (end = pending_.find("\n\n", start)) != std::string::npos; start = end + 2) {
    LoggedFrame frame = parseFrame(pending_.substr(start, end - start));
    if (!frame.durations.empty()) frames.push_back(std::move(frame));
  }
  pending_.erase(0, start);
  if (pending_.size() > kSimLogReadBytes) pending_.clear();
  return frames;
}

SimLogPosition SimLogReader::resumePosition() const {
  SimLogPosition resume = position_;
  resume.at -= std::min<uint64_t>(resume.at, pending_.size());
  return resume;
}

SimLogPosition loadMonitorPosition(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!RealFileSystem().readFile(path, kMonitorPositionBytes, bytes).isOk()) return {};
  const std::string text(bytes.begin(), bytes.end());
  SimLogPosition position;
  std::istringstream words(text);
  std::string extra;
  if (!(words >> position.at >> position.file >> position.dropped) || words >> extra) return {};
  return position;
}

Status saveMonitorPosition(const std::string& path, const SimLogPosition& position) {
  const std::string text =
      std::to_string(position.at) + " " + std::to_string(position.file) + " " + std::to_string(position.dropped) + "\n";
  return RealFileSystem().writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace zapvane::cli
