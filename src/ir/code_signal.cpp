#include "ir/code_signal.h"

#include <charconv>

namespace zapvane {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

Status splitCodeLines(std::string_view text, const std::string& what, std::vector<std::string_view>& lines) {
  if (text.size() > kMaxCodeFileBytes) {
    return Status::corruption(what + " is longer than " + std::to_string(kMaxCodeFileBytes >> 20) + " MiB");
  }
  lines.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.size() > kMaxCodeLineBytes) {
      return Status::corruption(what + ": line " + std::to_string(lines.size() + 1) + " is longer than " +
                                std::to_string(kMaxCodeLineBytes >> 10) + " KiB");
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return Status::ok();
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

bool parseUnsigned(std::string_view text, int base, uint64_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace zapvane
