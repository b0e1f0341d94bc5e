#include "cli/json_output.h"

#include <cstdio>

namespace zapvane::cli {

namespace {

// The length of the UTF-8 sequence starting at `i`, or 0 when it is no
// well-formed one (overlong forms, surrogates and values past U+10FFFF too).
size_t utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
  const auto continuation = [&](size_t at) { return (byte(at) & 0xC0u) == 0x80u; };
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(i + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned second = byte(i + 1);
    const bool ok = (lead == 0xE0 ? second >= 0xA0 : true) && (lead == 0xED ? second < 0xA0 : true);
    return ok && continuation(i + 1) && continuation(i + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned second = byte(i + 1);
    const bool ok = (lead == 0xF0 ? second >= 0x90 : true) && (lead == 0xF4 ? second < 0x90 : true);
    return ok && continuation(i + 1) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
  }
  return 0;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const size_t length = utf8Length(text, i);
    if (length == 0) {
      json += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      json += escaped;
    } else {
      json.append(text.substr(i, length));
    }
    i += length;
  }
  return json + "\"";
}

JsonObject& JsonObject::member(std::string_view key, std::string_view json) {
  if (text_.size() > 1) text_ += ',';
  text_ += jsonString(key);
  text_ += ':';
  text_ += json;
  return *this;
}

JsonObject& JsonObject::add(std::string_view key, std::string_view text) { return member(key, jsonString(text)); }

JsonObject& JsonObject::add(std::string_view key, int64_t number) { return member(key, std::to_string(number)); }

JsonObject& JsonObject::add(std::string_view key, bool value) { return member(key, value ? "true" : "false"); }

JsonObject& JsonObject::addJson(std::string_view key, std::string_view json) { return member(key, json); }

}  // namespace zapvane::cli
