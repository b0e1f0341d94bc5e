// A catalogue with its user-device buffers, as start-up leaves it before the
// user-devices file is loaded, and user devices made the way the learning
// workflow makes them. Tens of kilobytes: keep it on the heap.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include "catalogue/device_catalogue.h"
#include "catalogue/user_device_buffers.h"

namespace zapvane::testing {

struct UserWorld {
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;

  UserWorld() { resetUserDevices(catalogue); }

  DeviceProfile& add(std::u16string_view name, int32_t skin, int32_t space = 0, int32_t mark = 0) {
    const int i = catalogue.userCount;
    EXPECT_TRUE(allocateUserDeviceBuffers(buffers, i));
    DeviceProfile& d = catalogue.userDevices[static_cast<size_t>(i)];
    std::copy(name.begin(), name.end(), d.name.begin());
    d.skinType = skin;
    d.spaceAdjust = space;
    d.markAdjust = mark;
    attachUserDeviceBuffers(d, buffers, i);
    ++catalogue.userCount;
    return d;
  }

  // Word w of the slot becomes seed x 1000 + w, then the end pair after
  // `pairs` pairs (none when all 100 are used).
  void learn(int device, int slot, int32_t seed, int pairs = 12) {
    LearnedSignal& s = signal(device, slot);
    for (size_t w = 0; w < s.words.size(); ++w) s.words[w] = seed * 1000 + static_cast<int32_t>(w);
    if (pairs < kSignalPairs) {
      s.words[static_cast<size_t>(2 * pairs)] = kEndMark;
      s.words[static_cast<size_t>(2 * pairs + 1)] = kEndMark;
    }
  }

  void label(int device, int slot, std::u16string_view text) {
    std::copy(text.begin(), text.end(), buffers.labelRows[static_cast<size_t>(device)][static_cast<size_t>(slot)]);
  }

  LearnedSignal& signal(int device, int slot) const {
    return *buffers.signalRows[static_cast<size_t>(device)][static_cast<size_t>(slot)];
  }
  std::u16string_view labelUnits(int device, int slot) const {
    return {buffers.labelRows[static_cast<size_t>(device)][static_cast<size_t>(slot)], kLabelUnits};
  }
};

// `count` devices in which every stored word but the labels depends on seed,
// so that the files of two seeds differ throughout and a mix of them shows.
inline std::unique_ptr<UserWorld> seededWorld(int32_t seed, int count = kMaxUserDevices) {
  auto w = std::make_unique<UserWorld>();
  for (int i = 0; i < count; ++i) {
    w->add(u"", seed % 2).name.fill(static_cast<char16_t>(u'A' + seed));
    for (int slot = 0; slot < kUserSignalSlots; ++slot) w->learn(i, slot, seed, kSignalPairs);
  }
  return w;
}

}  // namespace zapvane::testing
