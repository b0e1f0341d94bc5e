// Code files from the world through zapvane-cli: what an imported command
// sends decodes, by a decoder of the protocols' public timings (at 25 %),
// to the code its file names; raw light comes back as given; an exported
// device imported again sends the same light; a bad file changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "cli_in_folder.h"
#include "support/test_folder.h"

namespace zapvane::testing {
namespace {

using Light = std::vector<int64_t>;
const std::string kCodes = std::string(ZAPVANE_TEST_DATA) + "/ir/codes/";

bool near(int64_t d, double nominal) {
  const auto x = static_cast<double>(d);
  return x >= nominal * 0.75 && x <= nominal * 1.25;
}

uint32_t field(const std::vector<bool>& bits, size_t from, int count, bool msbFirst = false) {
  uint32_t v = 0;
  for (int i = 0; i < count; ++i) {
    if (bits.at(from + static_cast<size_t>(i))) v |= msbFirst ? 1u << (count - 1 - i) : 1u << i;
  }
  return v;
}

struct Shape {  // header, bit mark, spaces of 1 and 0 (SIRC: marks of 1 and 0, one space)
  double headerMark, headerSpace, mark, one, zero;
  bool byMark;
};

// The bits of every frame that starts with the header.
std::vector<std::vector<bool>> distanceFrames(const Light& l, const Shape& s) {
  std::vector<std::vector<bool>> frames;
  for (size_t i = 0; i + 1 < l.size(); i += 2) {
    if (near(l[i], s.headerMark) && near(l[i + 1], s.headerSpace)) {
      frames.emplace_back();
    } else if (!frames.empty()) {
      const int64_t tell = s.byMark ? l[i] : l[i + 1];
      const int64_t other = s.byMark ? l[i + 1] : l[i];
      if (!near(other, s.mark) && static_cast<double>(other) < 4 * s.mark) continue;  // else a gap ends the frame
      if (near(tell, s.one) || near(tell, s.zero)) frames.back().push_back(near(tell, s.one));
    }
  }
  return frames;
}

// Manchester halves as light levels; a long gap ends the frame.
std::vector<int> halves(const Light& l, size_t from, double half) {
  std::vector<int> levels;
  for (size_t i = from; i < l.size(); ++i) {
    const int n = static_cast<int>(std::lround(static_cast<double>(l[i]) / half));
    if (n > 8) break;
    if (!near(l[i], n * half)) return {};
    levels.insert(levels.end(), static_cast<size_t>(n), i % 2 == 0 ? 1 : 0);
  }
  levels.push_back(0);
  return levels;
}

std::vector<bool> manchester(const std::vector<int>& levels, size_t from, size_t count, bool oneRises) {
  std::vector<bool> bits;
  for (size_t i = from; bits.size() < count && i + 1 < levels.size(); i += 2) {
    bits.push_back((levels[i] == 0) == oneRises);
  }
  return bits;
}

struct Code {
  uint32_t address, command;
  int frames;
};

std::optional<Code> decode(const std::string& protocol, const Light& l) {
  const Shape nec{9000, 4500, 560, 1690, 560, false};
  const std::map<std::string, Shape> shapes{{"NEC", nec}, {"NECext", nec}, {"NEC42", nec}, {"NEC42ext", nec},
      {"Samsung32", {4500, 4500, 560, 1690, 560, false}}, {"Pioneer", {8500, 4250, 500, 1500, 500, false}},
      {"Kaseikyo", {3456, 1728, 432, 1296, 432, false}}, {"RCA", {4000, 4000, 500, 2000, 1000, false}},
      {"SIRC", {2400, 600, 600, 1200, 600, true}}, {"SIRC15", {2400, 600, 600, 1200, 600, true}},
      {"SIRC20", {2400, 600, 600, 1200, 600, true}}};
  const auto inverse = [](uint32_t a, uint32_t b, int n) { return (a ^ b) == (1u << n) - 1; };
  if (protocol == "RC5" || protocol == "RC5X") {
    std::vector<int> levels = halves(l, 0, 889);
    levels.insert(levels.begin(), 0);  // the start bit's dark half
    const std::vector<bool> b = manchester(levels, 0, 14, true);
    if (b.size() != 14 || !b[0]) return std::nullopt;
    return Code{field(b, 3, 5, true), field(b, 8, 6, true) | (b[1] ? 0u : 0x40u), 1};
  }
  if (protocol == "RC6") {
    if (l.size() < 2 || !near(l[0], 2666) || !near(l[1], 889)) return std::nullopt;
    const std::vector<int> levels = halves(l, 2, 444);
    const std::vector<bool> head = manchester(levels, 0, 4, false);
    const std::vector<bool> b = manchester(levels, 12, 16, false);
    if (head != std::vector<bool>{true, false, false, false} || b.size() != 16) return std::nullopt;
    return Code{field(b, 0, 8, true), field(b, 8, 8, true), 1};
  }
  const auto frames = distanceFrames(l, shapes.at(protocol));
  if (frames.empty()) return std::nullopt;
  const std::vector<bool>& b = frames[0];
  const auto sized = [&](size_t n) { return b.size() == n; };
  if ((protocol == "NEC" || protocol == "Pioneer") && sized(32) && inverse(field(b, 0, 8), field(b, 8, 8), 8) &&
      inverse(field(b, 16, 8), field(b, 24, 8), 8)) {
    return Code{field(b, 0, 8), field(b, 16, 8), 1};
  }
  if (protocol == "NECext" && sized(32)) return Code{field(b, 0, 16), field(b, 16, 16), 1};
  if (protocol == "NEC42" && sized(42) && inverse(field(b, 0, 13), field(b, 13, 13), 13)) {
    return Code{field(b, 0, 13), field(b, 26, 8), 1};
  }
  if (protocol == "NEC42ext" && sized(42)) return Code{field(b, 0, 26), field(b, 26, 16), 1};
  if (protocol == "Samsung32" && sized(32) && field(b, 0, 8) == field(b, 8, 8)) return Code{field(b, 0, 8), field(b, 16, 8), 1};
  if (protocol == "RCA" && sized(24) && inverse(field(b, 0, 4, true), field(b, 12, 4, true), 4)) {
    return Code{field(b, 0, 4, true), field(b, 4, 8, true), 1};
  }
  if (protocol == "Kaseikyo" && sized(48) && field(b, 40, 8) == (field(b, 16, 8) ^ field(b, 24, 8) ^ field(b, 32, 8))) {
    return Code{field(b, 0, 16) | field(b, 20, 4) << 16 | field(b, 24, 4) << 20 | field(b, 38, 2) << 24,
                field(b, 28, 10), 1};
  }
  if (protocol.rfind("SIRC", 0) == 0 && (sized(12) || sized(15) || sized(20))) {
    return Code{field(b, 7, static_cast<int>(b.size()) - 7), field(b, 0, 7), static_cast<int>(frames.size())};
  }
  return std::nullopt;
}

Light lightOf(const std::string& pulses) {
  Light l;
  std::istringstream in(pulses);
  std::string kind;
  for (int64_t d; in >> kind >> d;) l.push_back(d);
  return l;
}

uint32_t payload(const std::string& hex) {  // "EE 87 00 00", least significant byte first
  std::istringstream in(hex);
  uint32_t v = 0;
  unsigned byte = 0;
  for (int shift = 0; in >> std::hex >> byte; shift += 8) v |= byte << shift;
  return v;
}

class CodeFiles : public CliInFolder {
 protected:
  // The catalogue index of the new device, and "slot N <- NAME" as slot per name.
  std::pair<std::string, std::map<std::string, int>> import(const std::vector<std::string>& args) {
    std::vector<std::string> all{"import"};
    all.insert(all.end(), args.begin(), args.end());
    const CliRun run = cli(all);
    EXPECT_EQ(run.code, 0) << run.err;
    std::map<std::string, int> slots;
    const std::regex slot("slot (\\d+) <- (.*)");
    std::istringstream out(run.out);
    std::string index, line;
    std::getline(out, index);
    for (std::smatch m; std::getline(out, line);) {
      if (std::regex_match(line, m, slot)) slots.emplace(m[2], std::stoi(m[1]));
    }
    return {index, slots};
  }
  Light pulses(const std::string& device, const std::string& command) { return lightOf(cli({"pulses", device, command}).out); }
  // `commands` as (index, name).
  std::vector<std::pair<std::string, std::string>> commands(const std::string& device) {
    std::vector<std::pair<std::string, std::string>> listed;
    std::istringstream in(cli({"commands", device}).out);
    for (std::string index, name, page; std::getline(in, index, '\t') && std::getline(in, name, '\t') && std::getline(in, page);) {
      listed.emplace_back(index, name);
    }
    return listed;
  }
};

class ProtocolFile : public CodeFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(ProtocolFile, EachImportedCommandDecodesToTheCodeItsFileNames) {
  const auto [device, slots] = import({kCodes + GetParam()});
  std::ifstream file(kCodes + GetParam());
  std::map<std::string, std::string> f;
  int checked = 0;
  for (std::string line; std::getline(file, line);) {
    const size_t colon = line.find(": ");
    if (colon != std::string::npos) f[line.substr(0, colon)] = line.substr(colon + 2);
    if (line.rfind("command: ", 0) != 0) continue;
    const auto code = decode(f["protocol"], pulses(device, std::to_string(slots.at(f["name"]))));
    ASSERT_TRUE(code.has_value()) << f["name"] << " does not decode as " << f["protocol"];
    EXPECT_EQ(code->address, payload(f["address"])) << f["name"];
    EXPECT_EQ(code->command, payload(f["command"])) << f["name"];
    EXPECT_GE(code->frames, f["protocol"].rfind("SIRC", 0) == 0 ? 3 : 1) << f["name"];
    ++checked;
  }
  EXPECT_GE(checked, 2);
}

INSTANTIATE_TEST_SUITE_P(Protocols, ProtocolFile,
                         ::testing::Values("nec.ir", "necext.ir", "nec42.ir", "samsung32.ir", "sirc.ir", "rc5.ir",
                                           "rc6.ir", "kaseikyo.ir", "rca.ir", "pioneer.ir"));

TEST_F(CodeFiles, RawSignalsComeBackDurationForDurationAndAMarkAtTheEndGetsItsGap) {
  const auto [device, slots] = import({kCodes + "raw.ir"});
  const Light input{504, 3432, 502, 483, 500, 484, 510, 502, 502, 482, 501, 485, 509,
                    1452, 504, 1458, 509, 1452, 504, 481, 501, 474, 509, 3420, 503, 100000};
  const Light sent = pulses(device, "Input");
  ASSERT_EQ(sent.size(), input.size());
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_LE(std::abs(sent[i] - input[i]), i % 2 == 0 ? 118 : 1) << "duration " << i;  // half a byte, a rounding
  }
  EXPECT_EQ(pulses(device, "Power").back(), 40000);
  EXPECT_EQ(slots.count("Longest"), 1u);  // 89 pairs, as many as a capture stores
}

// Every built-in device: out as .ir and Pronto, in again, the same light per
// command (Pronto: within one carrier period). A frame that ends on its last
// mark gets the import's gap.
TEST_F(CodeFiles, ExportedDevicesImportAgainToTheSameLight) {
  const double period = 109 * 0.241246;
  std::istringstream devices(cli({"devices"}).out);
  std::vector<std::string> skins;
  for (std::string row; std::getline(devices, row);) skins.push_back(row.find("\tvcr\t") != std::string::npos ? "vcr" : "tv");
  for (int d = 0; d < 38; ++d) {
    for (const std::string format : {"ir", "pronto"}) {
      std::filesystem::remove(dir / "remotes.usr");  // room for the copy
      std::filesystem::remove(dir / "remotes.sel");
      const std::string file = dir / (std::to_string(d) + "." + format);
      ASSERT_EQ(cli({"export", std::to_string(d), "--format", format, "--output", file}).code, 0);
      const auto [copy, slots] = import({file, "--skin", skins.at(static_cast<size_t>(d))});
      for (const auto& [index, name] : commands(std::to_string(d))) {
        Light want = pulses(std::to_string(d), index);
        if (want.size() % 2 == 1) want.push_back(100000);
        const Light got = pulses(copy, std::to_string(slots.at(name)));
        ASSERT_EQ(got.size(), want.size()) << d << " " << name << " " << format;
        for (size_t i = 0; format == "ir" && i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << d << " " << name;
        for (size_t i = 0; format == "pronto" && i < got.size(); ++i) ASSERT_LE(std::abs(got[i] - want[i]), period);
      }
    }
  }
}

TEST_F(CodeFiles, LircdCodesEndOnAPulseAndTheGapGoesToTheRemote) {
  const std::string conf = cli({"export", "SONY - TV", "--format", "lircd"}).out;
  EXPECT_NE(conf.find("begin remote\n  name  SONY_-_TV\n  flags RAW_CODES\n"), std::string::npos);
  std::istringstream in(conf.substr(conf.find("begin raw_codes")));
  std::string word, name;
  std::map<std::string, Light> codes;
  for (in >> word >> word; in >> word && word != "end";) {
    if (word == "name") in >> name;
    else codes[name].push_back(std::stoll(word));
  }
  const auto listed = commands("SONY - TV");
  for (auto [index, code] : listed) {
    const Light sent = pulses("SONY - TV", index);
    std::replace(code.begin(), code.end(), ' ', '_');
    EXPECT_EQ(codes[code].size() % 2, 1u) << code;
    EXPECT_EQ(Light(sent.begin(), sent.end() - 1), codes[code]) << code;  // the frame's last space is the gap
  }
  EXPECT_EQ(codes.size(), listed.size());
  EXPECT_NE(conf.find("  gap   "), std::string::npos);
}

TEST_F(CodeFiles, ABadFileIsOneLineAndWritesNothing) {
  const std::string header = "Filetype: IR signals file\nVersion: 1\n";
  std::string many = header + "name: Power\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\ndata:";
  for (int i = 0; i < 1025; ++i) many += " 500";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Filetype: IR signals file\nVersion: 2\n", "the header is wrong"},
      {"Power: 0000 006D 0001 0000 0155 00G1\n", "'00G1' is no Pronto word"},
      {"Power: 0000 006D 0002 0000 0155 00AA\n", "pair counts do not match its 6 words"},
      {"Power: 0000 006D 0001 0000 0155 00AA 0016\n", "pair counts do not match its 7 words"},
      {many + "\n", "line 7: more than 1024 values"},
      {" \n\n", "the file is empty"},
      {header + "name: Power\nprotocol NEC\n", "line 4: no 'key: value'"},
      {header + "name: Power\ntype: parsed\nprotocol: Foo\naddress: 01 00 00 00\ncommand: 01 00 00 00\n",
       "no usable signal in the file (Power: unknown protocol Foo)"},
      {header + "#\n", "no usable signal"},
  };
  for (const auto& [text, error] : cases) {
    std::ofstream(dir / "bad.ir") << text;
    const CliRun run = cli({"import", dir / "bad.ir"});
    EXPECT_EQ(run.code, 1) << error;
    EXPECT_EQ(run.err.find("zapvane-cli import: "), 0u) << run.err;
    EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "remotes.usr")) << error;
  }
}

TEST_F(CodeFiles, AThirtyFirstDeviceIsRefusedAndTheFileStaysAsItWas) {
  for (int i = 0; i < 30; ++i) ASSERT_EQ(cli({"new-device", "d" + std::to_string(i), "--skin", "tv"}).code, 0);
  const std::string before = readText(dir / "remotes.usr");
  const CliRun run = cli({"import", kCodes + "nec.ir"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "zapvane-cli import: User devices limit!!!\n");
  EXPECT_EQ(readText(dir / "remotes.usr"), before);
}

}  // namespace
}  // namespace zapvane::testing
