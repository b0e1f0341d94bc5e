#include <optional>

#include "app/command_names.h"
#include "app/remote_export.h"
#include "app/remote_import.h"
#include "catalogue/text.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "ir/flipper_ir_text.h"
#include "ir/lircd_text.h"
#include "ir/pronto_text.h"
#include "platform/real_platform.h"

namespace zapvane::cli {

int runCommands(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 1, "<device> [--json]", {"--json"});
  const bool json = parsed.flag("--json");
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const int32_t index = resolveDevice(remote->catalogue, parsed.positional[0]);
  const DeviceProfile& device = *remote->catalogue.entries[static_cast<size_t>(index)];
  const int32_t firstShift = device.commandCount - device.labelCount;
  std::string listed = "[";
  for (int32_t command = 0; command < device.commandCount; ++command) {
    if (!commandExists(command, device)) continue;
    const char* page = command < firstShift ? "main" : "shift";
    if (json) {
      if (listed.size() > 1) listed += ',';
      listed += JsonObject().add("index", command).add("name", commandName(device, command)).add("page", page).str();
    } else {
      context.out << command << '\t' << printableText(commandName(device, command)) << '\t' << page << '\n';
    }
  }
  if (json) context.out << listed << "]\n";
  return kExitOk;
}

int runImport(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--name", "--skin"}, 1, "FILE [--name NAME] [--skin tv|vcr]");
  std::optional<std::u16string> name;
  if (auto text = parsed.value("--name")) {
    refuseControlCharacters(*text, "device names");
    if (text->empty()) fail(Status::invalidArgument("Enter device name!!!"));
    name = utf8ToUtf16(*text);
  }
  std::optional<int32_t> skin;
  if (auto text = parsed.value("--skin")) {
    if (*text != "tv" && *text != "vcr") fail(Status::invalidArgument("--skin must be tv or vcr"));
    skin = *text == "vcr" ? kVcrSkin : kTvSkin;
  }
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::write);
  ImportReport report;
  const Status imported = importRemoteFile(*remote, parsed.positional[0], name, skin, report);
  if (!imported.isOk()) fail(imported);
  requireSaved(*remote);
  context.out << report.catalogueIndex << '\n';
  for (const std::string& line : importLines(report)) context.out << printableText(line) << '\n';
  return kExitOk;
}

int runExport(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--format", "--output"}, 1, "<device>");
  const std::string format = parsed.value("--format").value_or("ir");
  if (format != "ir" && format != "pronto" && format != "lircd") {
    fail(Status::invalidArgument("--format must be ir, pronto or lircd"));
  }
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const int32_t index = resolveDevice(remote->catalogue, parsed.positional[0]);
  const std::vector<CodeSignal> signals = exportSignals(*remote, index);
  const std::string name = deviceName(*remote->catalogue.entries[static_cast<size_t>(index)]);
  if (signals.empty()) fail(Status::notFound("'" + printableText(name) + "' has no command to export"));
  const std::string text = format == "ir"     ? flipperIrText(signals)
                           : format == "pronto" ? prontoText(signals)
                                                : lircdText(name, signals);
  const auto output = parsed.value("--output");
  if (!output) {
    context.out << text;
    return kExitOk;
  }
  const Status written = platform.files().writeFileAtomically(*output, std::vector<uint8_t>(text.begin(), text.end()));
  if (!written.isOk()) fail(written);
  return kExitOk;
}

}  // namespace zapvane::cli
