// What the Select devices and Setup IR port dialogs show when they open and
// what their buttons change, without Qt: the dialogs only put these values
// into widgets and hand the widgets' state back. Every change is saved at
// once; a failed save is reported through the ProblemReporter and the
// values in memory stay as set.
//
// Threads: window thread only, while no worker runs (the dialogs cannot open
// during auto adjust or a press).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/remote.h"
#include "ir/adjustments.h"

namespace zapvane {

// Select devices ------------------------------------------------------------

// One line per catalogue entry in catalogue order, so list row i is catalogue
// index i; a user device's name follows "* ".
std::vector<std::string> deviceListTexts(const DeviceCatalogue& catalogue);

// The rows to preselect: the selection's entries that name a catalogue
// entry, in selection order (a repeated entry repeats).
std::vector<int32_t> preselectedRows(const SelectionList& selection, int32_t catalogueCount);

// OK: the chosen rows become the selection in ascending order, position 0 is
// shown, and the selection file is written. With no rows the list is empty
// (the window shows the bare skin) and the current device is still taken
// from the list's first slot, which keeps its old content.
void applyDeviceSelection(Remote& remote, std::vector<int32_t> rows);

// Setup IR port -------------------------------------------------------------

inline constexpr std::array<const char*, 4> kPortNames{"COM1", "COM2", "COM3", "COM4"};
inline constexpr int32_t kNoPortRow = -1;  // what an empty port list reports

struct SliderRange {
  int32_t min;
  int32_t max;
};
inline constexpr SliderRange kAdjustSliderRange{kMinAdjust, kMaxAdjust};
// Default leaves the mark slider this narrow until the dialog is opened again.
inline constexpr SliderRange kMarkRangeAfterDefault{-3, 3};

struct AdjustmentPair {
  int32_t space = 0;
  int32_t mark = 0;
};

struct SetupValues {
  int32_t portRow = kNoPortRow;  // row of the port list; kNoPortRow selects none
  AdjustmentPair adjust;
};

// The pair the dialog edits: the global one for a built-in current device,
// the device's own for a user device.
AdjustmentPair currentKindAdjustments(const Remote& remote);

// The port's row (none for a stored port outside COM1..COM4) and the current
// kind's pair.
SetupValues setupInitialValues(const Remote& remote);

// OK: the port row becomes the port (kNoPortRow stores -1), the pair goes to
// the current kind (a user device's file is written), the shown position is
// kept for the next start, and the settings file is written.
void applySetupOk(Remote& remote, const SetupValues& values);

// Default: the current kind's pair becomes (0, 0) and is saved at once, with
// the shown position; the port stays as stored.
void applySetupDefault(Remote& remote);

}  // namespace zapvane
