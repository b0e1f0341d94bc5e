// Import: a code file (Flipper .ir, or Pronto Hex codes) becomes one new
// user device. Signals whose names mean a skin button go to that button;
// the rest fill the shift page in file order, labelled with their names.
// The device then joins the catalogue and the selection and is saved as
// ending learning saves a new device, by whoever holds the data folder.
//
// Threads: window thread (or the command line's only thread), outside
// learning mode, while no worker runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/remote.h"
#include "ir/code_signal.h"
#include "platform/status.h"

namespace zapvane {

struct ImportReport {
  int32_t catalogueIndex = -1;
  struct Filled {
    int32_t slot;
    std::string name;
  };
  std::vector<Filled> filled;      // in file order
  std::vector<CodeSignal> skipped;  // each with its reason
};

// The signals of an .ir file (it starts with "Filetype:") or Pronto codes.
Status parseCodeText(std::string_view text, std::vector<CodeSignal>& signals);

// Creates the device from `text`, on `skinType` or (nullopt) the skin its
// names suit, and saves. Refused, with nothing changed or written: a
// damaged text or one without a usable signal (corruption), a 31st user
// device (busy, "User devices limit!!!"), an empty name (invalidArgument).
// A failed save is reported as every save is; the result is then ok.
Status importRemote(Remote& remote, std::string_view text, const std::u16string& name,
                    std::optional<int32_t> skinType, ImportReport& report);

// importRemote of the file at `path` (a regular file of at most
// kMaxCodeFileBytes); the name defaults to the file's name without its
// folder and extension.
Status importRemoteFile(Remote& remote, const std::string& path, std::optional<std::u16string> name,
                        std::optional<int32_t> skinType, ImportReport& report);

// Import from the window: the device is shown; a refusal, or the signals
// left out, are told in one message box.
void importRemoteFromWindow(Remote& remote, const std::string& path);

// The lines a user reads about an import: "slot 5 <- Vol_up" per slot
// filled, then "skipped NAME: REASON" per signal left out.
std::vector<std::string> importLines(const ImportReport& report);

}  // namespace zapvane
