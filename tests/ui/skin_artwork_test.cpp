// The committed skin pictures and program icon: the bitmaps the window
// loads, a key drawn inside every hot spot, plain dark fields where the
// window writes the device name and the shift-page labels, and still what
// their generator draws.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/pen_and_menu.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

const std::map<std::string, const SkinLayout*> kSkins{
    {"skin_tv.bmp", &tvLayout}, {"skin_vcr.bmp", &vcrLayout}, {"skin_shift.bmp", &shiftLayout}};
const std::string kIcons[] = {"icon_16.png", "icon_32.png", "icon_48.png", "icon_64.png", "icon_128.png", "icon_256.png"};

QImage load(const std::string& name, const std::string& dir = ZAPVANE_RESOURCES_DIR) {
  return QImage(QString::fromStdString(dir + "/" + name)).convertToFormat(QImage::Format_ARGB32);
}
int distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) +
         std::abs(qAlpha(a) - qAlpha(b));
}
QRect spotRect(const HotSpot& spot) { return QRect(spot.left(), spot.top(), spot.width, spot.height); }

// The outermost pixels of a hot spot are body, so the key lies within its own
// rectangle; most of the rectangle is key, not body; and its middle holds a
// legend or a bright face, not a blank cap.
TEST(SkinArtwork, EveryHotSpotHoldsAKeyInsideItsRectangle) {
  for (const auto& [file, layout] : kSkins) {
    std::ifstream bmp(std::string(ZAPVANE_RESOURCES_DIR) + "/" + file, std::ios::binary);
    char header[30] = {};
    bmp.read(header, sizeof header);  // the pictures: 240 x 270 with 8 bits per pixel and a palette
    EXPECT_EQ(std::string(header, 2) + " " + std::to_string(header[28]), "BM 8") << file << ": bits per pixel";
    EXPECT_EQ(QImage(QString::fromStdString(std::string(ZAPVANE_RESOURCES_DIR) + "/" + file)).colorCount() > 0, true);
    const QImage image = load(file);
    ASSERT_EQ(image.size(), QSize(240, 270)) << file;
    for (int record = 2; record < layout->recordCount(); ++record) {
      SCOPED_TRACE(file + " record " + std::to_string(record));
      const QRect r = spotRect(layout->records[static_cast<size_t>(record)]);
      std::map<QRgb, int> ring;  // the outermost pixels, and how often each colour comes
      for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) ring[image.pixel(x, y)] += !r.adjusted(1, 1, -1, -1).contains(x, y);
      }
      const auto most = [](auto& a, auto& b) { return a.second < b.second; };
      const QRgb body = std::max_element(ring.begin(), ring.end(), most)->first;
      int ringPixels = 0, bodyLike = 0, keyPixels = 0, ink = 0;
      for (const auto& [colour, n] : ring) ringPixels += n, bodyLike += distance(colour, body) <= 24 ? n : 0;
      const QRect middle = r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4);
      for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
          keyPixels += distance(image.pixel(x, y), body) > 30;
          if (middle.contains(x, y)) ink = std::max(ink, distance(image.pixel(x, y), body));
        }
      }
      EXPECT_GE(bodyLike * 100, ringPixels * 95);
      EXPECT_GE(keyPixels * 100, r.width() * r.height() * 45);
      EXPECT_GT(ink, 150);
    }
  }
}

// The fields the window writes into, each skin's name box and the shift
// page's ten label rectangles, are one plain colour dark enough for the text.
TEST(SkinArtwork, TextFieldsArePlainAndDarkEnoughForTheirText) {
  std::vector<std::tuple<std::string, QRect, QRgb>> fields;
  for (const auto& [file, layout] : kSkins) fields.emplace_back(file, spotRect(layout->nameBox()), qRgb(100, 255, 100));
  for (int slot = 0; slot < 10; ++slot) {
    const WindowRect r = labelRect(slot);  // picture row = window row + 3
    fields.emplace_back("skin_shift.bmp", QRect(r.left, r.top - kYOffset, r.right - r.left, r.bottom - r.top),
                        qRgb(255, 255, 100));
  }
  for (const auto& [file, rect, text] : fields) {
    const QImage field = load(file).copy(rect);
    QImage plain(rect.size(), field.format());
    plain.fill(field.pixel(0, 0));
    EXPECT_TRUE(field == plain) << file << " field at " << rect.x() << "," << rect.y() << ": more than one colour";
    EXPECT_LE(qGray(field.pixel(0, 0)) + 100, qGray(text)) << file << ": too light for the text";
  }
}

// Drawing may round an antialiased edge differently on another processor,
// so a few pixels may differ slightly; a moved or redrawn key may not. The
// icon's artwork stands on a transparent ground; its scalable form is text
// and must match to the byte.
TEST(SkinArtwork, IsWhatTheGeneratorDraws) {
  const testing::TestFolder folder;
  const std::filesystem::path& fresh = folder.path();
  ASSERT_EQ(std::system((std::string(ZAPVANE_MAKE_SKINS) + " " + fresh.string()).c_str()), 0);
  ASSERT_EQ(std::system((std::string(ZAPVANE_MAKE_ICON) + " " + fresh.string()).c_str()), 0);
  const auto text = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(text(fresh / "zapvane.svg"), text(std::filesystem::path(ZAPVANE_RESOURCES_DIR) / "zapvane.svg"));
  std::vector<std::string> files(std::begin(kIcons), std::end(kIcons));
  for (const auto& skin : kSkins) files.push_back(skin.first);
  for (const std::string& file : files) {
    const QImage made = load(file, fresh.string()), committed = load(file);
    ASSERT_EQ(made.size(), committed.size()) << file;
    int differing = 0, opaque = 0, clear = 0;
    for (int y = 0; y < made.height(); ++y) {
      for (int x = 0; x < made.width(); ++x) {
        differing += distance(made.pixel(x, y), committed.pixel(x, y)) > 48;
        opaque += qAlpha(committed.pixel(x, y)) == 255;
        clear += qAlpha(committed.pixel(x, y)) == 0;
      }
    }
    EXPECT_LE(differing * 1000, made.width() * made.height()) << file;
    if (file.rfind("icon_", 0) != 0) continue;
    EXPECT_EQ(committed.size(), QSize(std::stoi(file.substr(5)), std::stoi(file.substr(5)))) << file;
    EXPECT_TRUE(opaque * 8 >= made.width() * made.height() && clear * 8 >= made.width() * made.height()) << file;
  }
  std::filesystem::remove_all(fresh);
}

}  // namespace
}  // namespace zapvane
