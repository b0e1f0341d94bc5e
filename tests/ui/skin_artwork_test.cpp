// The committed skin pictures and program icon: the format the window
// loads, a key drawn inside every hot spot, plain dark fields where the
// window writes the device name and the shift-page labels, and still what
// their generator draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/pen_and_menu.h"
#include "app/skin_layouts.h"

namespace {

using zapvane::HotSpot;
using zapvane::SkinLayout;

struct Skin {
  const char* file;
  const SkinLayout* layout;
};
const std::array<Skin, 3> kSkins{{
    {"skin_tv.bmp", &zapvane::tvLayout},
    {"skin_vcr.bmp", &zapvane::vcrLayout},
    {"skin_shift.bmp", &zapvane::shiftLayout},
}};
const std::array<int, 4> kIconSizes{16, 32, 48, 64};

const QRgb kNameText = qRgb(100, 255, 100);
const QRgb kLabelText = qRgb(255, 255, 100);

std::string resource(const std::string& name) { return std::string(ZAPVANE_RESOURCES_DIR) + "/" + name; }

QImage load(const std::string& path) { return QImage(QString::fromStdString(path)); }

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t word(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
  return v;
}

int distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) +
         std::abs(qAlpha(a) - qAlpha(b));
}

// Contrast ratio of two colours as the accessibility guidelines define it.
double contrast(QRgb a, QRgb b) {
  const auto luminance = [](QRgb c) {
    const auto linear = [](int channel) {
      const double v = channel / 255.0;
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRect spotRect(const HotSpot& spot) { return QRect(spot.left(), spot.top(), spot.width, spot.height); }

std::set<QRgb> coloursIn(const QImage& image, const QRect& rect) {
  std::set<QRgb> colours;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) colours.insert(image.pixel(x, y));
  }
  return colours;
}

// The outermost pixels of `rect`, clockwise.
std::vector<QRgb> ringOf(const QImage& image, const QRect& rect) {
  std::vector<QRgb> ring;
  for (int x = rect.left(); x < rect.right(); ++x) ring.push_back(image.pixel(x, rect.top()));
  for (int y = rect.top(); y < rect.bottom(); ++y) ring.push_back(image.pixel(rect.right(), y));
  for (int x = rect.right(); x > rect.left(); --x) ring.push_back(image.pixel(x, rect.bottom()));
  for (int y = rect.bottom(); y > rect.top(); --y) ring.push_back(image.pixel(rect.left(), y));
  return ring;
}

QRgb mostFrequent(const std::vector<QRgb>& colours) {
  std::map<QRgb, int> counts;
  for (const QRgb c : colours) ++counts[c];
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

TEST(SkinArtwork, BitmapsAre240By270With8BitsPerPixelAndAPalette) {
  for (const Skin& skin : kSkins) {
    SCOPED_TRACE(skin.file);
    const std::vector<uint8_t> bmp = readAll(resource(skin.file));
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
    const uint32_t headerSize = word(bmp, 14, 4);
    EXPECT_GE(headerSize, 40u);
    EXPECT_EQ(word(bmp, 18, 4), 240u);
    EXPECT_EQ(static_cast<int32_t>(word(bmp, 22, 4)), 270);  // positive: rows stored bottom-up
    EXPECT_EQ(word(bmp, 26, 2), 1u);                         // planes
    EXPECT_EQ(word(bmp, 28, 2), 8u);                         // bits per pixel
    EXPECT_EQ(word(bmp, 30, 4), 0u);                         // uncompressed
    const uint32_t colours = word(bmp, 46, 4) == 0 ? 256 : word(bmp, 46, 4);
    EXPECT_LE(colours, 256u);
    const uint32_t pixels = word(bmp, 10, 4);
    EXPECT_GE(pixels, 14 + headerSize + 4 * colours);  // the palette sits between header and pixels
    EXPECT_GE(bmp.size(), pixels + 240u * 270u);
    EXPECT_EQ(load(resource(skin.file)).format(), QImage::Format_Indexed8);
  }
}

// The outermost pixels of a hot spot are body, so the key lies within its own
// rectangle; most of the rectangle is key, not body; and its middle holds a
// legend or a bright face, not a blank grey cap.
TEST(SkinArtwork, EveryHotSpotHoldsAKeyInsideItsRectangle) {
  for (const Skin& skin : kSkins) {
    const QImage image = load(resource(skin.file)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(240, 270)) << skin.file;
    for (int record = 2; record < skin.layout->recordCount(); ++record) {
      SCOPED_TRACE(std::string(skin.file) + " record " + std::to_string(record));
      const QRect rect = spotRect(skin.layout->records[static_cast<size_t>(record)]);
      const std::vector<QRgb> ring = ringOf(image, rect);
      const QRgb body = mostFrequent(ring);
      const auto bodyLike = std::count_if(ring.begin(), ring.end(), [&](QRgb c) { return distance(c, body) <= 24; });
      EXPECT_GE(bodyLike * 100, static_cast<long>(ring.size()) * 95);

      int keyPixels = 0, ink = 0;
      const QRect middle = rect.adjusted(rect.width() / 4, rect.height() / 4, -rect.width() / 4, -rect.height() / 4);
      for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
          const int d = distance(image.pixel(x, y), body);
          if (d > 30) ++keyPixels;
          if (middle.contains(x, y)) ink = std::max(ink, d);
        }
      }
      EXPECT_GE(keyPixels * 100, rect.width() * rect.height() * 45);
      EXPECT_GT(ink, 150);
    }
  }
}

// The fields the window writes into, each skin's name box and the shift
// page's ten label rectangles, are one plain colour dark enough for the text.
TEST(SkinArtwork, TextFieldsArePlainAndDarkEnoughForTheirText) {
  struct Field {
    const char* file;
    QRect rect;
    QRgb text;
    std::string what;
  };
  std::vector<Field> fields;
  for (const Skin& skin : kSkins) fields.push_back({skin.file, spotRect(skin.layout->nameBox()), kNameText, "name"});
  for (int slot = 0; slot < 10; ++slot) {
    const zapvane::WindowRect r = zapvane::labelRect(slot);  // picture row = window row + 3
    const QRect picture(r.left, r.top - zapvane::kYOffset, r.right - r.left, r.bottom - r.top);
    fields.push_back({"skin_shift.bmp", picture, kLabelText, "label " + std::to_string(slot)});
  }
  for (const Field& field : fields) {
    SCOPED_TRACE(std::string(field.file) + " " + field.what);
    const std::set<QRgb> colours = coloursIn(load(resource(field.file)), field.rect);
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_GE(contrast(*colours.begin(), field.text), 4.5);
  }
}

TEST(ProgramIcon, LoadsAtEachSizeWithArtworkOnATransparentGround) {
  for (const int size : kIconSizes) {
    SCOPED_TRACE(size);
    const QImage icon = load(resource("icon_" + std::to_string(size) + ".png"));
    ASSERT_EQ(icon.size(), QSize(size, size));
    ASSERT_TRUE(icon.hasAlphaChannel());
    int opaque = 0, clear = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const int alpha = qAlpha(icon.pixel(x, y));
        opaque += alpha == 255;
        clear += alpha == 0;
      }
    }
    EXPECT_GE(opaque * 8, size * size);
    EXPECT_GE(clear * 8, size * size);
  }
}

// Drawing may round an antialiased edge differently on another processor,
// so a few pixels may differ slightly; a moved or redrawn key may not.
TEST(SkinArtwork, IsWhatTheGeneratorDraws) {
  const std::filesystem::path fresh = std::filesystem::path(::testing::TempDir()) / "zapvane-skins";
  std::filesystem::create_directories(fresh);
  ASSERT_EQ(std::system((std::string(ZAPVANE_MAKE_SKINS) + " " + fresh.string()).c_str()), 0);
  std::vector<std::string> files{kSkins[0].file, kSkins[1].file, kSkins[2].file};
  for (const int size : kIconSizes) files.push_back("icon_" + std::to_string(size) + ".png");
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const QImage made = load((fresh / file).string()).convertToFormat(QImage::Format_ARGB32);
    const QImage committed = load(resource(file)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(made.size(), committed.size());
    int differing = 0;
    for (int y = 0; y < made.height(); ++y) {
      for (int x = 0; x < made.width(); ++x) differing += distance(made.pixel(x, y), committed.pixel(x, y)) > 48;
    }
    EXPECT_LE(differing * 1000, made.width() * made.height());
  }
  std::filesystem::remove_all(fresh);
}

}  // namespace
