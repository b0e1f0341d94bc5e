#include "cli/commands.h"
#include "cli/json_output.h"
#include "platform/real_platform.h"

namespace zapvane::cli {

int runDevices(Context& context, const std::vector<std::string>& args) {
  const bool json = jsonFlagAlone(args);
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const DeviceCatalogue& catalogue = remote->catalogue;
  std::string listed = "[";
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    const DeviceProfile& p = *catalogue.entries[static_cast<size_t>(i)];
    const char* kind = p.learned() ? "user" : "builtin";
    const char* skin = p.skinType == kTvSkin ? "tv" : "vcr";
    if (json) {
      if (i > 0) listed += ',';
      listed += JsonObject()
                    .add("index", i)
                    .add("name", deviceName(p))
                    .add("kind", kind)
                    .add("skin", skin)
                    .add("commandCount", p.commandCount)
                    .add("labelCount", p.labelCount)
                    .str();
    } else {
      context.out << i << '\t' << printableDeviceName(p) << '\t' << kind << '\t' << skin << '\t' << p.commandCount
                  << '\t' << p.labelCount << '\n';
    }
  }
  if (json) context.out << listed << "]\n";
  return kExitOk;
}

}  // namespace zapvane::cli
