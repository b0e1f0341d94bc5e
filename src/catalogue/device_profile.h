// DeviceProfile: one device the remote can drive, built-in (timing + code
// table) or learned (recorded signals). Profiles live in fixed arrays owned by
// DeviceCatalogue and are never copied or moved while the program runs: the
// catalogue, the selection and the workers hold references to them.
//
// Threads: the window, transmit and learn threads read profiles without
// locks. spaceAdjust and markAdjust are stepped by the transmit worker during
// auto adjust while the window reads them, so they are atomic; every other
// field is written only at well-defined moments (start-up, user-device
// creation, learning) while no worker reads it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace zapvane {

inline constexpr int kNameUnits = 50;        // UTF-16 code units, terminator included
inline constexpr int kLabelUnits = 15;       // UTF-16 code units of a user label
inline constexpr int kSignalWords = 200;     // 100 (mark, space) pairs
inline constexpr int kSignalPairs = kSignalWords / 2;
inline constexpr int kUserSignalSlots = 30;  // allocated per user device
inline constexpr int kUserLabelSlots = 10;
inline constexpr int kMaxLabels = 10;
inline constexpr int32_t kEndMark = -1;      // ends a learned signal; -1 also marks an absent command
inline constexpr uint32_t kAbsentCode = 0xFFFFFFFFu;

enum SkinType : int32_t { kTvSkin = 0, kVcrSkin = 1 };

// Main-page command hot spots per skin; shift-page commands follow them.
inline constexpr int32_t mainPageCommands(int32_t skinType) { return skinType == kTvSkin ? 17 : 13; }

// Words in one code-table row: the code (one word up to 32 bits, two above),
// then extraDelay, onShiftPage and shiftSlot.
inline constexpr int rowWidth(int32_t codeBits) { return (codeBits - 1) / 32 + 4; }

// One recorded command of a user device: (mark, space) pairs in microseconds,
// ended by the first pair whose mark is -1. 800 bytes, stored in files as is.
struct LearnedSignal {
  std::array<int32_t, kSignalWords> words{};

  int32_t mark(int pair) const { return words[static_cast<size_t>(2 * pair)]; }
  int32_t space(int pair) const { return words[static_cast<size_t>(2 * pair + 1)]; }
  bool empty() const { return words[0] == kEndMark; }
  void clear() {
    words.fill(0);
    words[0] = kEndMark;
    words[1] = kEndMark;
  }
};
static_assert(sizeof(LearnedSignal) == 800);

// A view of one code-table row.
class CommandRow {
 public:
  CommandRow(const uint32_t* words, int width) : words_(words), width_(width) {}

  bool absent() const { return words_[0] == kAbsentCode; }
  uint32_t firstWord() const { return words_[0]; }
  int width() const { return width_; }
  // Up to 32 code bits: the code. 33..64: the leading bits, right-aligned.
  uint32_t code() const { return words_[0]; }
  uint32_t codeHigh() const { return words_[0]; }
  uint32_t codeLow() const { return words_[1]; }
  int32_t extraDelay() const { return static_cast<int32_t>(words_[width_ - 3]); }
  int32_t onShiftPage() const { return static_cast<int32_t>(words_[width_ - 2]); }
  int32_t shiftSlot() const { return static_cast<int32_t>(words_[width_ - 1]); }

 private:
  const uint32_t* words_;
  int width_;
};

// How a built-in device's frame is timed, in microseconds; a user device
// leaves it all 0. The members stand in the order the timing sheets list
// them, so the catalogue's sets are written as plain rows.
struct FrameTiming {
  int32_t headerMark = 0, headerSpace = 0;
  int32_t oneMark = 0, oneSpace = 0;
  int32_t zeroMark = 0, zeroSpace = 0;
  int32_t trailerMark = 0;
  int32_t tailWait1 = 0, tailMark1 = 0, tailWait2 = 0, tailMark2 = 0;
  int32_t codeBits = 0;
  int32_t trailerSpace = 0, trailerWait = 0;  // 0 in every set

  bool operator==(const FrameTiming&) const = default;
};

struct DeviceProfile {
  std::array<char16_t, kNameUnits> name{};
  FrameTiming timing;
  int32_t commandCount = 0;
  const uint32_t* codeTable = nullptr;         // commandCount rows of rowWidth(codeBits) words
  const char16_t* const* labelTable = nullptr;  // labelCount zero-terminated strings
  int32_t labelCount = 0;
  int32_t frameGap = 0;
  int32_t skinType = kTvSkin;
  int32_t isLearned = 0;
  LearnedSignal* const* learnedSlots = nullptr;  // user devices: kUserSignalSlots signals
  std::atomic<int32_t> spaceAdjust{0};
  std::atomic<int32_t> markAdjust{0};
  int32_t userIndex = 0;

  // A user device plays recorded signals; any non-zero isLearned counts, as
  // a damaged file may hold another value.
  bool learned() const { return isLearned != 0; }

  DeviceProfile() = default;
  DeviceProfile(const DeviceProfile&) = delete;
  DeviceProfile& operator=(const DeviceProfile&) = delete;
};

}  // namespace zapvane
