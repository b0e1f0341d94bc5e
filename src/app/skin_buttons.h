// The buttons drawn on the three skin pictures, named by what they do rather
// than where they sit. The keyboard reaches the skin through them: a key
// stands for a button and is a tap on its centre, the same pen-down and
// pen-up, so a held key repeats as a held button does. The window names
// them too (tooltips, accessibility) for the device shown.
//
// Threads: window thread only, like the pen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/skin_layouts.h"

namespace zapvane {

class Remote;

enum class SkinButton {
  digit1, digit2, digit3, digit4, digit5, digit6, digit7, digit8, digit9, digit0,
  power, volumeUp, volumeDown, programmeUp, programmeDown, mute, dash,
  shift, previousDevice, nextDevice,
  play, stop, pause, record, rewind, fastForward, skipBack, skipForward,
  f1, f2, f3, f4, f5, f6, f7, f8, f9, f0,
};

struct DrawnButton {
  SkinButton button;
  int32_t result;       // its hit-test result on this picture
  const char* artwork;  // what the picture shows on it, as a word
};

// The buttons of the picture whose layout this is, specials first.
std::span<const DrawnButton> drawnButtons(const SkinLayout& layout);

// A key's press: the pen-down of a tap on the centre of `button` when the
// skin shown has that button where a tap reaches it (on the shift page only
// the device's labels can be reached); otherwise false, and nothing is done.
// The key's release is Remote::penUp, exactly once, after a true.
bool pressSkinButton(Remote& remote, SkinButton button);

struct NamedButton {
  int32_t result;
  WindowRect rect;
  std::u16string name;  // "SONY - TV: 2": the device, then the label or the artwork
  bool available;       // a tap on it does something
};

// The buttons of the skin shown that a tap reaches; none on the bare skin
// of an empty selection, where every tap opens Select devices.
std::vector<NamedButton> namedButtons(const Remote& remote);

}  // namespace zapvane
