#include "storage/user_devices_file.h"

#include <algorithm>

#include "storage/file_io.h"
#include "storage/little_endian.h"

namespace zapvane {

using namespace user_devices_format;

namespace {

// Copies what the file has of [offset, offset + size) into dest, byte by
// byte in file order; bytes past the end of the file leave dest as it was.
template <class Unit, size_t N>
void readUnits(std::array<Unit, N>& dest, const std::vector<uint8_t>& bytes, size_t offset) {
  for (size_t i = 0; i < N; ++i) {
    const size_t at = offset + sizeof(Unit) * i;
    if (at + sizeof(Unit) > bytes.size()) return;
    if constexpr (sizeof(Unit) == 2) {
      dest[i] = static_cast<Unit>(le::getUnit(bytes, at));
    } else {
      dest[i] = static_cast<Unit>(le::getInt32(bytes, at));
    }
  }
}

void readWord(std::atomic<int32_t>& field, const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 4 <= bytes.size()) field = le::getInt32(bytes, offset);
}

void readWord(int32_t& field, const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 4 <= bytes.size()) field = le::getInt32(bytes, offset);
}

void readBlock(DeviceProfile& device, UserDeviceBuffers& buffers, int index, const std::vector<uint8_t>& bytes,
               size_t block) {
  readUnits(device.name, bytes, block + kNameOffset);
  readWord(device.isLearned, bytes, block + kIsLearnedOffset);
  readWord(device.skinType, bytes, block + kSkinTypeOffset);
  readWord(device.spaceAdjust, bytes, block + kSpaceAdjustOffset);
  readWord(device.markAdjust, bytes, block + kMarkAdjustOffset);
  const auto row = static_cast<size_t>(index);
  for (size_t slot = 0; slot < kStoredSignalSlots; ++slot) {
    readUnits(buffers.signals[row][slot]->words, bytes, block + kSignalsOffset + slot * kSignalBytes);
  }
  for (size_t slot = 0; slot < kUserLabelSlots; ++slot) {
    readUnits(*buffers.labels[row][slot], bytes, block + kLabelsOffset + slot * kLabelBytes);
  }
  attachUserDeviceBuffers(device, buffers, index);
}

void refuse(DeviceCatalogue& catalogue, UserDevicesLoad& result, std::string problem) {
  catalogue.userCount = 0;
  result.refused = true;
  result.finding = Status::corruption(std::move(problem));
}

}  // namespace

UserDevicesLoad readUserDevices(DeviceCatalogue& catalogue, UserDeviceBuffers& buffers,
                                const std::vector<uint8_t>& bytes, MessageSink& messages, BufferAllocator allocate) {
  UserDevicesLoad result;
  result.fromFile = true;
  catalogue.userCount = 0;
  if (bytes.size() < kUserCountOffset + 4) {
    refuse(catalogue, result, "user devices file is too short to hold its header");
    return result;
  }
  const int32_t count = le::getInt32(bytes, kUserCountOffset);
  if (count < 0 || count > kMaxUserDevices) {
    refuse(catalogue, result, "user devices file holds an impossible count (" + std::to_string(count) + ")");
    return result;
  }
  for (int i = 0; i < count; ++i) {
    if (!allocate(buffers, i)) {
      messages.show({"Memory alloc error!!!", "Error", MessageIcon::exclamation});
      refuse(catalogue, result, "not enough memory for the user devices");
      return result;
    }
  }
  int normalized = 0;
  for (int i = 0; i < count; ++i) {
    DeviceProfile& device = catalogue.userDevices[static_cast<size_t>(i)];
    readBlock(device, buffers, i, bytes, kHeaderSize + kBlockSize * static_cast<size_t>(i));
    // Every user device replays learned signals; a record that says
    // otherwise would be sent as a built-in device without a code table.
    if (device.isLearned != 1) {
      device.isLearned = 1;
      ++normalized;
    }
  }
  catalogue.userCount = count;
  const size_t expected = kHeaderSize + kBlockSize * static_cast<size_t>(count);
  if (bytes.size() < expected) {
    result.finding = Status::corruption("user devices file is cut short (" + std::to_string(bytes.size()) + " of " +
                     std::to_string(expected) + " bytes); what is missing stays empty");
  } else if (normalized > 0) {
    result.finding = Status::corruption("user devices file marks " + std::to_string(normalized) +
                     " device(s) as not learned; loaded as learned devices");
  }
  return result;
}

std::vector<uint8_t> userDevicesBytes(const DeviceCatalogue& catalogue) {
  const int32_t count = std::clamp(catalogue.userCount, 0, kMaxUserDevices);
  std::vector<uint8_t> bytes;
  bytes.reserve(kHeaderSize + kBlockSize * static_cast<size_t>(count));
  le::putInt32(bytes, kFileTag);
  le::putInt32(bytes, count);
  for (size_t i = 0; i < kHeaderReservedWords; ++i) le::putInt32(bytes, 0);

  LearnedSignal empty;
  empty.clear();
  for (int32_t i = 0; i < count; ++i) {
    const DeviceProfile& device = catalogue.userDevices[static_cast<size_t>(i)];
    for (char16_t unit : device.name) le::putUnit(bytes, unit);
    le::putInt32(bytes, device.isLearned);
    le::putInt32(bytes, device.skinType);
    le::putInt32(bytes, device.spaceAdjust);
    le::putInt32(bytes, device.markAdjust);
    for (size_t k = 0; k < kBlockReservedWords; ++k) le::putInt32(bytes, 0);
    for (int slot = 0; slot < kStoredSignalSlots; ++slot) {
      const LearnedSignal* signal = learnedSlot(device, slot);
      for (int32_t word : (signal != nullptr ? *signal : empty).words) le::putInt32(bytes, word);
    }
    for (int slot = 0; slot < kUserLabelSlots; ++slot) {
      const char16_t* label = device.labelTable != nullptr ? device.labelTable[slot] : nullptr;
      for (int unit = 0; unit < kLabelUnits; ++unit) le::putUnit(bytes, label != nullptr ? label[unit] : u'\0');
    }
  }
  return bytes;
}

UserDevicesLoad loadUserDevices(DeviceCatalogue& catalogue, UserDeviceBuffers& buffers, FileSystem& fs,
                                const std::string& path, MessageSink& messages, BufferAllocator allocate,
                                RefusedFile refusedFile) {
  std::vector<uint8_t> bytes;
  const Status read = fs.readFile(path, kMaxFileSize, bytes);
  if (read.isNotFound()) {
    catalogue.userCount = 0;
    return {};
  }
  UserDevicesLoad result;
  if (read.isOk()) {
    result = readUserDevices(catalogue, buffers, bytes, messages, allocate);
  } else {
    // An unreadable file is refused like a damaged one: kept aside, so the
    // next save cannot replace what the user may still recover.
    result.fromFile = true;
    result.readError = read;
    refuse(catalogue, result, read.message());
  }
  if (result.refused && refusedFile == RefusedFile::leave) {
    result.finding = Status::corruption(result.finding.message() + "; the file is left as it is");
  } else if (result.refused) {
    std::string aside;
    const Status moved = keepAside(fs, path, aside);
    result.finding = Status::corruption(result.finding.message() +
                                        (moved.isOk() ? "; the file is kept as " + aside
                                                      : "; could not keep the file aside (" + moved.message() + ")"));
  }
  return result;
}

Status saveUserDevices(const DeviceCatalogue& catalogue, FileSystem& fs, const std::string& path) {
  return fs.writeFileAtomically(path, userDevicesBytes(catalogue));
}

}  // namespace zapvane
