#include "app/command_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "catalogue/device_catalogue.h"
#include "catalogue/text.h"

namespace zapvane {

namespace {

constexpr int32_t kNone = -1;
constexpr size_t kLabelReadLimit = 64;  // built-in labels are short constants
constexpr size_t kMostAliases = 7;

struct ButtonName {
  std::string_view name;
  int32_t tvCommand, vcrCommand;
  // Further spellings, already lowered and without '_' and ' '.
  std::array<std::string_view, kMostAliases> aliases;
};

// Command indices from the skins' hot-spot tables: TV 0..9 digits 1..9 and
// 0, 10 power, 11/12 programme up/down, 13/14 volume up/down, 15 mute,
// 16 -/--; VCR 0 power, 1/2 programme, 3/4 volume, 5 play, 6 stop, 7 fast
// forward, 8 rewind, 9 skip forward, 10 skip back, 11 pause, 12 record.
constexpr std::array<ButtonName, 25> kButtons{{
    {"Power", 10, 0, {"pwr", "onoff", "on/off", "standby", "powertoggle"}},
    {"1", 0, kNone, {}},
    {"2", 1, kNone, {}},
    {"3", 2, kNone, {}},
    {"4", 3, kNone, {}},
    {"5", 4, kNone, {}},
    {"6", 5, kNone, {}},
    {"7", 6, kNone, {}},
    {"8", 7, kNone, {}},
    {"9", 8, kNone, {}},
    {"0", 9, kNone, {}},
    {"Vol_up", 13, 3, {"vol+", "volume+", "volumeup", "v+", "volu"}},
    {"Vol_dn", 14, 4, {"vol-", "volume-", "volumedown", "voldown", "v-", "vold"}},
    {"Ch_next", 11, 1, {"ch+", "chup", "channel+", "channelup", "p+", "prog+", "chanup"}},
    {"Ch_prev", 12, 2, {"ch-", "chdown", "chdn", "channel-", "channeldown", "p-", "prog-"}},
    {"Mute", 15, kNone, {}},
    {"-/--", 16, kNone, {"digits"}},
    {"Play", kNone, 5, {}},
    {"Stop", kNone, 6, {}},
    {"Ff", kNone, 7, {"fastforward", "fastfo", "fwd", "forward", ">>"}},
    {"Rew", kNone, 8, {"rewind", "rwd", "<<"}},
    {"Next", kNone, 9, {"skip+", "skipforward", "skipfwd", ">>|"}},
    {"Prev", kNone, 10, {"previous", "skip-", "skipback", "|<<"}},
    {"Pause", kNone, 11, {}},
    {"Rec", kNone, 12, {"record"}},
}};

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string normalised(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c != '_' && c != ' ') out += lower(c);
  }
  return out;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

int32_t commandOn(const ButtonName& button, int32_t skinType) {
  return skinType == kVcrSkin ? button.vcrCommand : button.tvCommand;
}

const ButtonName* buttonCalled(std::string_view name) {
  const std::string key = normalised(name);
  for (const ButtonName& button : kButtons) {
    if (key == normalised(button.name)) return &button;
    for (const std::string_view alias : button.aliases) {
      if (!alias.empty() && key == alias) return &button;
    }
  }
  return nullptr;
}

std::string shiftKeyName(int32_t slot) { return "F" + std::to_string((slot + 1) % 10); }

}  // namespace

std::string commandName(const DeviceProfile& device, int32_t command) {
  const int32_t firstShift = device.commandCount - device.labelCount;
  if (command < firstShift && command < mainPageCommands(device.skinType)) {
    for (const ButtonName& button : kButtons) {
      if (commandOn(button, device.skinType) == command) return std::string(button.name);
    }
  }
  int32_t slot = command - firstShift;
  if (!device.learned() && device.codeTable != nullptr && commandEntry(device, command).onShiftPage() == 1) {
    slot = commandEntry(device, command).shiftSlot();
  }
  if (slot < 0 || slot >= device.labelCount || device.labelTable == nullptr) return shiftKeyName(slot);
  const size_t limit = device.learned() ? static_cast<size_t>(kLabelUnits) : kLabelReadLimit;
  const std::string label = utf16ToUtf8(device.labelTable[slot], limit);
  return label.empty() ? shiftKeyName(slot) : label;
}

Status resolveCommand(const DeviceProfile& device, const std::string& text, int32_t& command) {
  const std::string_view digits = text.empty() || text[0] != '-' ? std::string_view(text) : std::string_view(text).substr(1);
  if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), command);
    if (ec != std::errc() || end != text.data() + text.size()) {
      return Status::invalidArgument("malformed command index: '" + text + "'");
    }
    return Status::ok();
  }
  for (int32_t i = 0; i < device.commandCount; ++i) {
    if (sameIgnoringCase(commandName(device, i), text)) {
      command = i;
      return Status::ok();
    }
  }
  return Status::invalidArgument("no command named '" + text + "'");
}

int32_t buttonForSignalName(std::string_view name, int32_t skinType) {
  const ButtonName* button = buttonCalled(name);
  return button == nullptr ? kNone : commandOn(*button, skinType);
}

int32_t skinForSignalNames(const std::vector<std::string>& names) {
  int tvOnly = 0;
  int vcrOnly = 0;
  for (const std::string& name : names) {
    const ButtonName* button = buttonCalled(name);
    if (button == nullptr) continue;
    if (button->vcrCommand == kNone) ++tvOnly;
    if (button->tvCommand == kNone) ++vcrOnly;
  }
  return vcrOnly > tvOnly ? kVcrSkin : kTvSkin;
}

}  // namespace zapvane
