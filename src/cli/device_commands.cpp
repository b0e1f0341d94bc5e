#include "cli/commands.h"
#include "platform/real_platform.h"

namespace zapvane::cli {

int runDevices(Context& context, const std::vector<std::string>& args) {
  if (!args.empty()) fail(Status::invalidArgument("takes no arguments, got '" + args.front() + "'"));
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const DeviceCatalogue& catalogue = remote->catalogue;
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    const DeviceProfile& p = *catalogue.entries[static_cast<size_t>(i)];
    context.out << i << '\t' << printableDeviceName(p) << '\t' << (p.learned() ? "user" : "builtin") << '\t'
                << (p.skinType == kTvSkin ? "tv" : "vcr") << '\t' << p.commandCount << '\t' << p.labelCount
                << '\n';
  }
  return kExitOk;
}

}  // namespace zapvane::cli
