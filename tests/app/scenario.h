// The remote without a display, driven one line at a time: the rig with a
// recording window attached. A line is an action, then after "=>" the
// requests it must make of the window ("=>" alone: none; without "=>" they
// are not checked), then "| key value" checks of what it left behind
// ("key:arg" where the key takes an argument). " # " begins a comment. The
// scenarios are typed in tests/data/*/*.txt, "== title" before each; the
// window suite adds its own words (support/window_rig.h).
#pragma once

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/auto_adjust_actions.h"
#include "app/learning_actions.h"
#include "app/pen_and_menu.h"
#include "app/settings_actions.h"
#include "app/user_device_actions.h"
#include "catalogue/text.h"
#include "support/fakes.h"
#include "support/rig.h"

namespace zapvane::testing {

using Args = std::vector<std::string>;

inline Args split(const std::string& text, char by = ' ') {
  Args out;
  std::istringstream in(text);
  for (std::string w; std::getline(in, w, by);) {
    if (!w.empty()) out.push_back(w);
  }
  return out;
}
inline std::string trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(' ') - b + 1);
}
inline std::string tail(const Args& a, size_t from) {  // the arguments from `from` on, as typed
  std::string out;
  for (size_t i = from; i < a.size(); ++i) out += (i > from ? " " : "") + a[i];
  return out;
}
template <class T>
std::string joined(const std::vector<T>& values) {
  std::string out;
  for (const T& v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
  return out;
}
inline std::string utf8(const std::u16string& s) { return utf16ToUtf8(s.data(), s.size()); }
inline int32_t num(const std::string& s) { return static_cast<int32_t>(std::stol(s)); }
inline size_t at(const std::string& s) { return std::stoul(s); }
inline std::vector<int32_t> wordsOf(const std::vector<uint8_t>& bytes) {  // little-endian, as the files are
  std::vector<int32_t> out;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k) word |= uint32_t{bytes[i + k]} << (8 * k);
    out.push_back(static_cast<int32_t>(word));
  }
  return out;
}
inline std::vector<uint8_t> bytesOf(const Args& words) {
  std::vector<uint8_t> out;
  for (const std::string& w : words) {
    for (int k = 0; k < 32; k += 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(num(w)) >> k));
  }
  return out;
}
template <class T>
void assign(std::atomic<T>& place, int64_t v) { place = static_cast<T>(v); }
template <class T>
void assign(T& place, int64_t v) { place = static_cast<T>(v); }

// A message box as the scenarios write it: "caption / icon / text".
inline std::string described(const Message& m) {
  static const char* const kIcons[] = {"none", "information", "exclamation", "stop"};
  return m.caption + " / " + kIcons[static_cast<int>(m.icon)] + " / " + m.text;
}
inline MenuCommand menuCommand(const std::string& name) {
  static const std::map<std::string, MenuCommand> kCommands{
      {"about", MenuCommand::about}, {"exit", MenuCommand::exit}, {"selectDevices", MenuCommand::selectDevices},
      {"setupIrPort", MenuCommand::setupIrPort}, {"sound", MenuCommand::sound}, {"startLearn", MenuCommand::startLearn},
      {"stopLearn", MenuCommand::stopLearn}, {"learnDialog", MenuCommand::learnDialog},
      {"nameCommand", MenuCommand::nameCommand}, {"importRemote", MenuCommand::importRemote}};
  return kCommands.at(name);
}

// A check and a `set` for each state word of the scenarios.
#define ZV_FIELD(key, place)                                                                           \
  checks_[key] = [this](const std::string&) { return std::to_string(static_cast<int64_t>(place)); }; \
  setters_[key] = [this](int64_t v) { assign(place, v); }

class Scenario {
 public:
  using Fail = std::function<void(const std::string&)>;
  explicit Scenario(Fail fail);
  virtual ~Scenario() = default;
  // One line of a scenario file.
  virtual void feed(const std::string& line) { run(line); }
  void run(const std::string& line) {
    const std::string text = line.substr(0, line.find(" # "));
    const size_t bar = text.find('|'), arrow = text.substr(0, bar).find("=>");
    const Args words = split(text.substr(0, std::min(bar, arrow)));
    if (!words.empty() && actions_.count(words[0]) == 0) fail_(where + ": no action " + words[0]);
    if (!words.empty() && actions_.count(words[0]) != 0) actions_[words[0]](Args(words.begin() + 1, words.end()));
    const std::string made = window.take();
    if (arrow != std::string::npos) expect(made, trim(text.substr(arrow + 2, bar - std::min(bar, arrow + 2))), "=>");
    for (const std::string& part : bar == std::string::npos ? Args{} : split(text.substr(bar + 1), '|')) {
      const std::string check = trim(part), key = check.substr(0, check.find_first_of(": "));
      const size_t colon = check.find(':'), space = check.find(' ');
      if (checks_.count(key) == 0) fail_(where + ": no check " + key);
      if (checks_.count(key) == 0) continue;
      expect(checks_[key](colon < space ? check.substr(colon + 1, space - colon - 1) : ""),
             space == std::string::npos ? "" : trim(check.substr(space)), check.substr(0, space));
    }
  }
  void expect(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) fail_(where + "\n  " + what + ": \"" + actual + "\", expected \"" + expected + "\"");
  }
  std::string where;  // the file, line and title of the line being run
  // The remote the scenario works on: the rig's, or the one a restart made.
  Remote& remote() { return next_ ? *next_ : rig.remote; }
  void tap(const SkinLayout& layout, int32_t result) {
    const HotSpot& spot = layout.spotFor(result);
    remote().penDown(static_cast<uint16_t>(spot.centreX), static_cast<uint16_t>(spot.centreY + kYOffset));
  }

  // Declared first, gone last: the remote's workers may still report.
  RecordingWindow window;
  RecordingLearnWindow learnWindow;
  Rig rig;

 protected:
  Fail fail_;
  std::unique_ptr<Remote> next_;
  std::string result_, reached_;
  std::atomic<bool> lifted_{false};
  std::map<std::string, std::function<void(const Args&)>> actions_;
  std::map<std::string, std::function<std::string(const std::string&)>> checks_;
  std::map<std::string, std::function<void(int64_t)>> setters_;
  // A built-in-like device whose code rows 1 and 2 both claim label slot 0.
  static constexpr uint32_t kTwinTable[] = {0x010, 0, 0, 0, 0x020, 0, 1, 0, 0x030, 0, 1, 0};
  DeviceProfile twin_;
};

// Plays tests/data/<file>: each "== title" on a fresh scenario from `make`.
template <class Make>
void playScenarios(const std::string& file, Make make) {
  std::ifstream in(std::string(ZAPVANE_TEST_DATA) + "/" + file);
  std::unique_ptr<Scenario> scenario = make();
  scenario->expect(in ? "present" : "missing", "present", file);
  std::string title;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.rfind("== ", 0) == 0) {
      scenario.reset();  // the last one is gone before the next is made
      scenario = make();
      title = line.substr(3);
    }
    scenario->where = file + ":" + std::to_string(number) + " (" + title + ")";
    if (!line.empty() && line[0] != '#' && line[0] != '=') scenario->feed(line);
  }
}

inline Scenario::Scenario(Fail fail) : fail_(std::move(fail)) {
  const std::map<std::string, const SkinLayout*> layouts{
      {"tv", &tvLayout}, {"vcr", &vcrLayout}, {"shift", &shiftLayout}};
  static const char* const kCreated[] = {"created", "limit", "emptyName", "allocationFailed"};
  static const char* const kOutcomes[] = {"learn", "stayOpen", "nothingSelected"};
  static const char* const kPictures[] = {"tv", "vcr", "shift"};
  const auto skin = [](const std::string& s) { return s == "tv" ? kTvSkin : s == "vcr" ? kVcrSkin : num(s); };
  const auto edited = [this] { return static_cast<size_t>(remote().learning.editedUserDevice.load()); };
  const auto file = [this](const char* name) { return rig.has(name) ? joined(wordsOf(rig.bytes(name))) : "none"; };
  const auto create = [this, skin](const Args& w) {
    return createUserDevice(remote(), utf8ToUtf16(tail(w, 1)), skin(w.at(0)));
  };
  twin_.timing.codeBits = 12;
  twin_.commandCount = 3;
  twin_.codeTable = kTwinTable;
  twin_.labelCount = 1;
  remote().attachWindow(&window, &learnWindow);
  rig.platform.beeps.whilePlaying = [this] { learnWindow.pause("beep"); };

  ZV_FIELD("index", remote().current.catalogueIndex);
  ZV_FIELD("pos", remote().current.selectionPos);
  ZV_FIELD("count", remote().catalogue.catalogueCount);
  ZV_FIELD("users", remote().catalogue.userCount);
  ZV_FIELD("listed", remote().selection.selectionCount);
  ZV_FIELD("held", remote().pen.buttonHeld);
  ZV_FIELD("shift", remote().pen.shiftPage);
  ZV_FIELD("learning", remote().learning.learningMode);
  ZV_FIELD("editing", remote().learning.editingExisting);
  ZV_FIELD("edited", remote().learning.editedUserDevice);
  ZV_FIELD("learnSlot", remote().learning.learnSlot);
  ZV_FIELD("labelSlot", remote().learning.labelSlot);
  ZV_FIELD("captureRunning", remote().learning.captureRunning);
  ZV_FIELD("portBusy", remote().port.portBusy);
  ZV_FIELD("autoAdjust", remote().autoAdjustActive);
  ZV_FIELD("sound", remote().settings.soundOn);
  ZV_FIELD("port", remote().settings.port);
  ZV_FIELD("realSleeps", rig.platform.realSleeps);
  ZV_FIELD("pollNanoseconds", rig.platform.pollNanoseconds);
  ZV_FIELD("remoteDelay", rig.platform.remoteDelayNanoseconds);

  auto& c = checks_;
  c["worker"] = [this](auto&) { return std::to_string(remote().worker.running()); };
  c["command"] = [this](auto&) { return std::to_string(remote().pen.pressedCommand()); };
  c["settings"] = [file](auto&) { return file("remotes.set"); };
  c["selection"] = [file](auto&) { return file("remotes.sel"); };
  c["has"] = [this](const std::string& name) { return std::to_string(rig.has(name)); };
  c["device"] = [this](auto&) { return utf16ToUtf8(remote().current.device.load()->name.data(), 50); };
  c["view"] = [this](auto&) {
    const SkinView v = remote().skinView();
    return kPictures[v.picture] + (v.showName ? " " + utf8(v.name) : "");
  };
  c["labels"] = [this](auto&) {
    std::string out;
    for (const auto& [k, text] : remote().skinView().labels) out += ";" + std::to_string(k) + ":" + utf8(text);
    return out.substr(std::min<size_t>(1, out.size()));
    return out;
  };
  c["bits"] = [this](auto&) {  // of the first frame: set 1 sends a one as a 5-byte burst, after the header
    std::string out;
    for (const Burst& b : rig.platform.frames.at(0)) out += b.bytes == 5 ? '1' : '0';
    return out.substr(1);
  };
  c["reports"] = [this](auto&) { return learnWindow.take(); };
  c["holding"] = [this](auto&) { return learnWindow.holding(); };
  c["busy"] = [this](auto&) { return std::to_string(remote().learnWorker.busy()); };
  c["result"] = [this](auto&) { return result_; };
  c["idle"] = [&idle = rig.platform.idleTimeouts](auto&) {
    return joined(std::vector{idle.batterySeconds(), idle.externalSeconds()});
  };
  c["box"] = [this](auto&) { return described(window.shown.at(window.shown.size() - 1)); };  // the last one shown
  c["name"] = [this](const std::string& d) { return utf8(userDeviceName(remote().catalogue, num(d))); };
  c["skin"] = [this](const std::string& d) {
    const DeviceProfile& user = remote().catalogue.userDevices.at(at(d));
    return joined(std::vector{user.skinType, user.commandCount});
  };
  c["label"] = [this, edited](const std::string& k) { return utf8(remote().buffers.labelRows[edited()].at(at(k))); };
  c["learned"] = [this, edited](const std::string& k) {
    return std::to_string(!remote().buffers.signalRows[edited()].at(at(k))->empty());
  };
  c["list"] = [this](const std::string& row) { return deviceListTexts(remote().catalogue).at(at(row)); };
  c["preselect"] = [this](auto&) {
    return joined(preselectedRows(remote().selection, remote().catalogue.catalogueCount));
  };
  c["initial"] = [this](auto&) {
    const SetupValues v = setupInitialValues(remote());
    return joined(std::vector{v.portRow, v.adjust.space, v.adjust.mark});
  };
  c["pair"] = [this](const std::string& index) {
    const DeviceProfile& d = *remote().catalogue.entries.at(at(index));
    return joined(std::vector{d.spaceAdjust.load(), d.markAdjust.load()});
  };
  c["labelRect"] = [](const std::string& k) {
    const WindowRect r = labelRect(num(k));
    return joined(std::vector{r.left, r.top, r.right, r.bottom});
  };
  c["record"] = [layouts](const std::string& place) {  // layout.record, as its sheet gives it
    const SkinLayout& l = *layouts.at(place.substr(0, place.find('.')));
    const HotSpot& s = l.records[at(place.substr(place.find('.') + 1))];
    return &s == &l.records[0] ? joined(std::vector{l.recordCount(), l.firstCommandRecord()})
                               : joined(std::vector{s.width, s.height, s.centreX, s.centreY});
  };
  c["lines"] = [this](const std::string& word) {  // on the error stream since the last look: "n of all" hold the word
    std::istringstream said(rig.takeLines());
    int n = 0, all = 0;
    for (std::string line; std::getline(said, line); ++all) n += line.find(word) != std::string::npos;
    return word.empty() ? std::to_string(all) : std::to_string(n) + " of " + std::to_string(all);
  };

  auto& a = actions_;
  a["start"] = [this](auto&) { rig.started(); };
  a["restart"] = [this](auto&) {
    next_ = std::make_unique<Remote>(rig.platform, DataFiles::in(kRigFolder), rig.err);
    next_->start();
  };
  a["put"] = [this](const Args& w) { rig.put(w.at(0), bytesOf(Args(w.begin() + 1, w.end()))); };
  a["text"] = [this](const Args& w) {  // ';' ends a line
    std::string text = tail(w, 1) + ";";
    std::replace(text.begin(), text.end(), ';', '\n');
    rig.put(w.at(0), {text.begin(), text.end()});
  };
  a["age"] = [this](const Args& w) { rig.disk.age(Rig::path(w.at(0)), num(w.at(1))); };
  a["fault"] = [this](const Args& w) {  // "fullDisk [free bytes]" or "none"
    rig.disk.fault = w.at(0) == "none" ? FileFault::none : FileFault::fullDisk;
    rig.disk.freeBytes = w.size() > 1 ? static_cast<size_t>(num(w[1])) : 0;
  };
  a["remote"] = [this](const Args& w) {  // a remote control pointed at every port opened
    rig.platform.remote = RemoteSignal{};
    for (const std::string& d : w) rig.platform.remote->durations.push_back(num(d));
  };
  a["set"] = [this](const Args& w) { setters_.at(w.at(0))(std::stoll(w.at(1))); };
  a["select"] = [this](const Args& w) {  // as a start-up would; "@p" shows position p
    remote().selection = {};
    for (const std::string& e : w) {
      if (e[0] == '@') remote().settings.savedSelectionPos = num(e.substr(1));
      if (e[0] != '@') remote().selection.entries[static_cast<size_t>(remote().selection.selectionCount++)] = num(e);
    }
    remote().showSavedDevice();
  };
  a["list"] = [this](const Args& w) {  // a count, then the entries in memory
    remote().selection = {num(w.at(0)), {}};
    for (size_t i = 1; i < w.size(); ++i) remote().selection.entries[i - 1] = num(w[i]);
  };
  a["show"] = [this](const Args& w) { remote().showDevice(num(w.at(0)), num(w.at(1))); };
  a["create"] = [this, create](const Args& w) { result_ = kCreated[static_cast<int>(create(w))]; };
  a["user"] = [this, create](const Args& w) {  // as learning leaves a new device
    create(w);
    endLearning(remote());
  };
  a["fill"] = [this, create](const Args& w) {
    while (remote().catalogue.userCount < kMaxUserDevices) create(w);
  };
  a["tap"] = [this, layouts](const Args& w) { tap(*layouts.at(w.at(0)), num(w.at(1))); };
  a["hit"] = [this, layouts](const Args& w) {  // layout, device (built-in index, u0, u1 or twin), picture x and y
    const DeviceProfile& d = w.at(1) == "twin"  ? twin_
                             : w[1][0] == 'u' ? remote().catalogue.userDevices.at(at(w[1].substr(1)))
                                              : remote().catalogue.builtIn.at(at(w[1]));
    const HitResult hit = hitTest(static_cast<uint16_t>(num(w.at(2))), static_cast<uint16_t>(num(w.at(3)) + kYOffset),
                                  *layouts.at(w[0]), w[0] == "shift", d, 99);
    result_ = joined(std::vector{hit.result, hit.shiftCommand});
  };
  a["penup"] = [this](auto&) { remote().penUp(); };
  a["command"] = [this](const Args& w) { remote().command(menuCommand(w.at(0))); };
  a["join"] = [this](auto&) { remote().worker.join(); };
  a["settle"] = [this](auto&) { remote().learnWorker.join(); };
  a["shutdown"] = [this](auto&) { remote().shutdown(); };
  a["choose"] = [this](const Args& w) {
    std::vector<int32_t> rows;
    for (const std::string& r : w) rows.push_back(num(r));
    applyDeviceSelection(remote(), rows);
  };
  a["setup"] = [this](const Args& w) { applySetupOk(remote(), {num(w.at(0)), {num(w.at(1)), num(w.at(2))}}); };
  a["default"] = [this](auto&) { applySetupDefault(remote()); };
  a["adjust"] = [this](const Args& w) {  // the global pair
    remote().settings.spaceAdjust = num(w.at(0));
    remote().settings.markAdjust = num(w.at(1));
  };
  a["pair"] = [this](const Args& w) {  // a catalogue entry's own pair
    remote().catalogue.entries.at(at(w.at(0)))->spaceAdjust = num(w.at(1));
    remote().catalogue.entries[at(w[0])]->markAdjust = num(w.at(2));
  };
  a["arm"] = [this](auto&) { armAutoAdjust(remote(), window); };
  a["rename"] = [this](const Args& w) {
    result_ = std::to_string(renameUserDevice(remote(), num(w.at(0)), utf8ToUtf16(tail(w, 1))));
  };
  a["name-command"] = [this](const Args& w) { nameCommand(remote(), utf8ToUtf16(tail(w, 0))); };
  a["end-learning"] = [this](auto&) { endLearning(remote()); };
  a["add-new"] = [this](const Args& w) {  // the naming dialog ends with "create" or the close box
    result_ = kOutcomes[static_cast<int>(addNewDevice(remote(), [&] {
      w.at(0) == "create" ? void(createUserDevice(remote(), u"Radio", kVcrSkin)) : cancelNaming(remote());
    }))];
  };
  a["modify"] = [this](const Args& w) {  // a row, then "rename" or the close box
    result_ = kOutcomes[static_cast<int>(modifyDevice(remote(), num(w.at(0)), [&] {
      w.at(1) == "rename" ? void(renameUserDevice(remote(), num(w[0]), u"Renamed")) : cancelNaming(remote());
    }))];
  };
  a["damage-name"] = [this](const Args& w) { remote().catalogue.userDevices.at(at(w.at(0))).name.fill(u'A'); };
  a["cut"] = [this](const Args& w) { result_ = utf8(cutToUnits(utf8ToUtf16(tail(w, 1)), at(w.at(0)))); };
  a["hold"] = [this](const Args& w) {  // the capture at each of these points, until `resume`
    for (const std::string& point : w) learnWindow.hold(point);
  };
  a["resume"] = [this](auto&) { learnWindow.release(); };
  a["handle-report"] = [this](auto&) { remote().handleLearnReport(LearnReport::learnDialog); };
  a["await"] = [this](const Args& w) {  // until a capture runs, has heard the remote, is held, or made n more polls
    const int64_t polls = rig.platform.clock.reads() + (w.at(0) == "polls" ? num(w.at(1)) : 0);
    while (!(w[0] == "capture"  ? remote().learning.captureRunning.load()
             : w[0] == "heard" ? !remote().learnWorker.waitingForSignal()
             : w[0] == "hold"  ? !learnWindow.holding().empty()
                               : rig.platform.clock.reads() > polls)) {
      std::this_thread::yield();
    }
  };
  a["idle"] = [this](const Args& w) { rig.platform.idleTimeouts.setInForce(num(w.at(0)), num(w.at(1))); };
  a["end-at"] = [this](const Args& w) {  // with the pen lifted (`lift`), the ending tap after so many virtual seconds
    const auto due = static_cast<int64_t>(std::stod(w.at(0)) * 1e9);
    rig.platform.virtualSleeps.afterSleep = [this, due](int64_t now) {
      while (!lifted_) std::this_thread::yield();
      if (now < due || !reached_.empty()) return;
      reached_ = checks_.at("pair")(std::to_string(remote().current.catalogueIndex.load()));
      tap(tvLayout, kHitNextDevice);
    };
  };
  a["lift"] = [this](auto&) { lifted_ = true; };
  c["reached"] = [this](auto&) {  // the pair in force at the ending tap: a few candidates in, and stored
    const Args pair = split(reached_), stored = split(checks_.at("settings")(""));
    const bool kept = pair.size() == 2 && num(pair[0]) < 0 && stored.at(1) == pair[0] && stored.at(4) == pair[1];
    return kept ? "stepped and stored" : reached_ + " against the settings " + checks_.at("settings")("");
  };
  a["advance"] = [this](const Args& w) { rig.platform.clock.advanceNanoseconds(std::stoll(w.at(0))); };
  a["run-out"] = [this](auto&) {  // the clock on, poll by poll, until the capture ends
    while (remote().learnWorker.running()) {
      rig.platform.clock.advanceNanoseconds(20'000);
      std::this_thread::yield();
    }
  };
}

#undef ZV_FIELD

}  // namespace zapvane::testing
