// JSON for scripts: the --json forms of the listings. One JSON value per
// listing, or one object per line for the streaming commands, so `jq` and
// line-by-line readers both work.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zapvane::cli {

// `text` (UTF-8) as a JSON string: quotes, backslashes and every control
// character escaped; bytes that are no UTF-8 become U+FFFD, so the output
// is always valid JSON.
std::string jsonString(std::string_view text);

// One JSON object with its members in the order added.
class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view text);
  JsonObject& add(std::string_view key, const char* text) { return add(key, std::string_view(text)); }
  JsonObject& add(std::string_view key, int64_t number);
  JsonObject& add(std::string_view key, int32_t number) { return add(key, int64_t{number}); }
  JsonObject& add(std::string_view key, bool value);
  // A member whose value is JSON already (an array, a nested object).
  JsonObject& addJson(std::string_view key, std::string_view json);
  std::string str() const { return text_ + "}"; }

 private:
  JsonObject& member(std::string_view key, std::string_view json);
  std::string text_ = "{";
};

}  // namespace zapvane::cli
