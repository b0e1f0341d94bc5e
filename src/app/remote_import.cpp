#include "app/remote_import.h"

#include <array>

#include "app/command_names.h"
#include "app/user_device_actions.h"
#include "catalogue/text.h"
#include "ir/flipper_ir_text.h"
#include "ir/learned_light.h"
#include "ir/pronto_text.h"
#include "platform/regular_file.h"

namespace zapvane {

namespace {

constexpr const char* kImportCaption = "Import remote";

struct Placed {
  int32_t slot;
  CodeSignal* signal;
  LearnedSignal pairs;
};

// A file's name may hold anything; a label never holds a control character.
std::u16string labelFor(const std::string& name) {
  std::string printable = name;
  for (char& c : printable) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return utf8ToUtf16(printable);
}

std::string baseName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

Status parseCodeText(std::string_view text, std::vector<CodeSignal>& signals) {
  // Editors on some systems open a UTF-8 file with a byte order mark.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  if (trimBlanks(text).empty()) return Status::corruption("the file is empty");
  return looksLikeFlipperIr(text) ? parseFlipperIr(text, signals) : parsePronto(text, signals);
}

Status importRemote(Remote& remote, std::string_view text, const std::u16string& name,
                    std::optional<int32_t> skinType, ImportReport& report) {
  report = {};
  std::vector<CodeSignal> signals;
  const Status parsed = parseCodeText(text, signals);
  if (!parsed.isOk()) return parsed;

  std::vector<Placed> usable;
  std::vector<std::string> names;
  for (CodeSignal& signal : signals) {
    Placed placed{-1, &signal, {}};
    if (signal.skipped.empty() && pairsForLight(signal.durations, placed.pairs, signal.skipped)) {
      usable.push_back(placed);
      names.push_back(signal.name);
    }
  }
  const int32_t skin = skinType.value_or(skinForSignalNames(names));
  const int32_t mainPage = mainPageCommands(skin);
  std::array<bool, kUserSignalSlots> taken{};
  int32_t nextShift = 0;
  for (Placed& placed : usable) {
    const int32_t button = buttonForSignalName(placed.signal->name, skin);
    if (button >= 0 && !taken[static_cast<size_t>(button)]) {
      placed.slot = button;
    } else if (nextShift < kUserLabelSlots) {
      placed.slot = mainPage + nextShift++;
    } else {
      placed.signal->skipped = "no free button left";
      continue;
    }
    taken[static_cast<size_t>(placed.slot)] = true;
  }
  for (const CodeSignal& signal : signals) {
    if (!signal.skipped.empty()) report.skipped.push_back(signal);
  }
  if (report.skipped.size() == signals.size()) {
    return Status::corruption("no usable signal in the file" +
                              (signals.empty() ? std::string() : " (" + signals.front().name + ": " +
                                                                     signals.front().skipped + ")"));
  }

  const CreateResult created = createUserDevice(remote, name, skin);
  if (created != CreateResult::created) {
    const Message refusal = createRefusal(created);
    return created == CreateResult::emptyName ? Status::invalidArgument(refusal.text) : Status::busy(refusal.text);
  }
  const int32_t user = remote.learning.editedUserDevice;
  DeviceProfile& device = remote.catalogue.userDevices[static_cast<size_t>(user)];
  for (const Placed& placed : usable) {
    if (placed.slot < 0) continue;
    *device.learnedSlots[placed.slot] = placed.pairs;
    if (placed.slot >= mainPage) {
      remote.learning.labelSlot = placed.slot - mainPage;
      nameCommand(remote, labelFor(placed.signal->name));
    }
    report.filled.push_back({placed.slot, placed.signal->name});
  }
  remote.learning.editingExisting = false;
  endLearning(remote);
  report.catalogueIndex = kBuiltInCount + user;
  return Status::ok();
}

Status importRemoteFile(Remote& remote, const std::string& path, std::optional<std::u16string> name,
                        std::optional<int32_t> skinType, ImportReport& report) {
  std::string text;
  const Status read = readRegularFile(path, kMaxCodeFileBytes, text);
  if (!read.isOk()) return Status::corruption(read.message());
  return importRemote(remote, text, name.value_or(utf8ToUtf16(baseName(path))), skinType, report);
}

void importRemoteFromWindow(Remote& remote, const std::string& path) {
  ImportReport report;
  const Status imported = importRemoteFile(remote, path, std::nullopt, std::nullopt, report);
  remote.window().repaintNow();
  remote.window().updateMenuStates();
  if (!imported.isOk()) {
    remote.messages().show({imported.message(), kImportCaption, MessageIcon::exclamation});
    return;
  }
  if (report.skipped.empty()) return;
  std::string text = std::to_string(report.skipped.size()) + " of " +
                     std::to_string(report.skipped.size() + report.filled.size()) + " signals skipped:";
  for (size_t i = 0; i < report.skipped.size(); ++i) {
    text += (i == 0 ? " " : "; ") + report.skipped[i].name + " (" + report.skipped[i].skipped + ")";
  }
  remote.messages().show({text, kImportCaption, MessageIcon::information});
}

std::vector<std::string> importLines(const ImportReport& report) {
  std::vector<std::string> lines;
  for (const ImportReport::Filled& filled : report.filled) {
    lines.push_back("slot " + std::to_string(filled.slot) + " <- " + filled.name);
  }
  for (const CodeSignal& skipped : report.skipped) lines.push_back("skipped " + skipped.name + ": " + skipped.skipped);
  return lines;
}

}  // namespace zapvane
