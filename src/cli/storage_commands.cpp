#include "cli/commands.h"
#include "cli/json_output.h"
#include "platform/real_platform.h"
#include "storage/selection_file.h"

namespace zapvane::cli {

int runSettings(Context& context, const std::vector<std::string>& args) {
  const bool json = jsonFlagAlone(args);
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const IrSettings& s = remote->settings;
  if (json) {
    context.out << JsonObject()
                       .add("port", s.port.load())
                       .add("spaceAdjust", s.spaceAdjust.load())
                       .add("savedSelectionPos", s.savedSelectionPos.load())
                       .add("soundOn", s.soundOn.load())
                       .add("markAdjust", s.markAdjust.load())
                       .str()
                << '\n';
    return kExitOk;
  }
  context.out << "port=" << s.port << "\nspaceAdjust=" << s.spaceAdjust << "\nsavedSelectionPos="
              << s.savedSelectionPos << "\nsoundOn=" << s.soundOn << "\nmarkAdjust=" << s.markAdjust << '\n';
  return kExitOk;
}

int runSelection(Context& context, const std::vector<std::string>& args) {
  const bool json = args.size() == 1 && args[0] == "--json";
  RealPlatform platform("zapvane-cli");
  const bool listing = args.empty() || json;
  const auto remote = startRemote(platform, context, listing ? Access::read : Access::write);
  if (listing) {
    std::string listed = "[";
    for (int32_t i = 0; i < remote->selection.selectionCount; ++i) {
      const int32_t entry = remote->selection.entries[static_cast<size_t>(i)];
      if (json) {
        listed += (i > 0 ? "," : "") + std::to_string(entry);
      } else {
        context.out << entry << '\n';
      }
    }
    if (json) context.out << listed << "]\n";
    return kExitOk;
  }
  if (args.size() > remote->selection.entries.size()) {
    fail(Status::invalidArgument("a selection holds at most " + std::to_string(remote->selection.entries.size()) + " devices"));
  }
  SelectionList list;
  for (const std::string& arg : args) {
    const int32_t index = parseNumber(arg, "catalogue index");
    if (index < 0 || index >= remote->catalogue.catalogueCount) {
      fail(Status::invalidArgument("no device " + arg + " in the catalogue (0.." +
                       std::to_string(remote->catalogue.catalogueCount - 1) + ")"));
    }
    list.entries[static_cast<size_t>(list.selectionCount++)] = index;
  }
  const Status saved = saveSelection(list, remote->platform.files(), remote->files.selection);
  if (!saved.isOk()) fail(saved);
  return kExitOk;
}

}  // namespace zapvane::cli
