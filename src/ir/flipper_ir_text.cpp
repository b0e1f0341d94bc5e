#include "ir/flipper_ir_text.h"

#include <cstdlib>

#include "ir/protocol_encoders.h"

namespace zapvane {

namespace {

constexpr std::string_view kFiletypeKey = "Filetype";
constexpr std::string_view kSignalsFile = "IR signals file";
constexpr std::string_view kLibraryFile = "IR library file";
constexpr std::string_view kVersion = "1";
constexpr int kPayloadBytes = 4;
constexpr const char* kDutyCycle = "0.330000";

struct KeyValue {
  std::string_view key, value;
};

bool splitKeyValue(std::string_view line, KeyValue& kv) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  kv = {trimBlanks(line.substr(0, colon)), trimBlanks(line.substr(colon + 1))};
  return !kv.key.empty();
}

// "EE 87 00 00": four hex bytes, least significant first.
bool parsePayload(std::string_view text, uint32_t& value) {
  const std::vector<std::string_view> bytes = splitWords(text);
  if (bytes.size() != kPayloadBytes) return false;
  value = 0;
  for (int i = kPayloadBytes - 1; i >= 0; --i) {
    uint64_t byte = 0;
    if (bytes[static_cast<size_t>(i)].size() != 2 || !parseUnsigned(bytes[static_cast<size_t>(i)], 16, byte)) return false;
    value = (value << 8) | static_cast<uint32_t>(byte);
  }
  return true;
}

// The fields of one signal as read; turned into light once it is complete.
struct SignalFields {
  std::string name;
  std::string type, protocol, address, command, data;
  size_t line = 0;
};

void finish(const SignalFields& f, std::vector<CodeSignal>& signals) {
  CodeSignal signal{f.name, {}, {}};
  if (f.type == "parsed") {
    uint32_t address = 0;
    uint32_t command = 0;
    if (!parsePayload(f.address, address) || !parsePayload(f.command, command)) {
      signal.skipped = "bad numbers in address or command";
    } else {
      encodeProtocol(f.protocol, address, command, signal.durations, signal.skipped);
    }
  } else if (f.type == "raw") {
    for (const std::string_view word : splitWords(f.data)) {
      uint64_t value = 0;
      if (!parseUnsigned(word, 10, value) || value == 0 || value > kMaxDurationMicroseconds) {
        signal.skipped = "bad numbers in data";
        signal.durations.clear();
        break;
      }
      signal.durations.push_back(static_cast<int32_t>(value));
    }
    if (signal.skipped.empty() && signal.durations.empty()) signal.skipped = "no data";
  } else {
    signal.skipped = f.type.empty() ? "no type" : "unknown type " + f.type;
  }
  signals.push_back(std::move(signal));
}

}  // namespace

bool looksLikeFlipperIr(std::string_view text) { return text.substr(0, kFiletypeKey.size()) == kFiletypeKey; }

Status parseFlipperIr(std::string_view text, std::vector<CodeSignal>& signals) {
  std::vector<std::string_view> lines;
  const Status split = splitCodeLines(text, "the .ir file", lines);
  if (!split.isOk()) return split;
  KeyValue kv;
  if (lines.size() < 2 || !splitKeyValue(lines[0], kv) || kv.key != kFiletypeKey ||
      (kv.value != kSignalsFile && kv.value != kLibraryFile) || !splitKeyValue(lines[1], kv) || kv.key != "Version" ||
      kv.value != kVersion) {
    return Status::corruption("not an IR signals file: the header is wrong");
  }
  signals.clear();
  std::vector<SignalFields> fields;
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::string_view line = trimBlanks(lines[i]);
    if (line.empty() || line.front() == '#') continue;
    const std::string where = "the .ir file, line " + std::to_string(i + 1) + ": ";
    if (!splitKeyValue(line, kv)) return Status::corruption(where + "no 'key: value'");
    if (kv.key == "name") {
      fields.push_back({std::string(kv.value), {}, {}, {}, {}, {}, i});
      continue;
    }
    if (fields.empty()) return Status::corruption(where + "'" + std::string(kv.key) + "' before any name");
    SignalFields& f = fields.back();
    if (kv.key == "type") f.type = kv.value;
    if (kv.key == "protocol") f.protocol = kv.value;
    if (kv.key == "address") f.address = kv.value;
    if (kv.key == "command") f.command = kv.value;
    if (kv.key == "data") {
      if (splitWords(kv.value).size() > kMaxSignalValues) {
        return Status::corruption(where + "more than " + std::to_string(kMaxSignalValues) + " values");
      }
      f.data = kv.value;
    }
  }
  for (const SignalFields& f : fields) finish(f, signals);
  return Status::ok();
}

std::string flipperIrText(const std::vector<CodeSignal>& signals) {
  std::string text = "Filetype: " + std::string(kSignalsFile) + "\nVersion: " + std::string(kVersion) + "\n";
  for (const CodeSignal& signal : signals) {
    text += "#\nname: " + signal.name + "\ntype: raw\nfrequency: " + std::to_string(kExportCarrierHz) +
            "\nduty_cycle: " + kDutyCycle + "\ndata:";
    for (const int32_t d : signal.durations) text += " " + std::to_string(d);
    text += "\n";
  }
  return text;
}

}  // namespace zapvane
