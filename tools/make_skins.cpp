// Draws the program's own artwork: the three 240 x 270 skin pictures (TV,
// VCR, shift page) as 8-bit BMPs sharing one palette (the icon is
// make_icon's).
//   make_skins <resources-dir>
//
// Every button is drawn inside its hot spot's rectangle, taken from the same
// layouts the hit test uses, with a margin so a button never touches its
// neighbour's rectangle. The name box and the two label panels of the shift
// page are left one plain dark colour: the window writes the device name and
// the labels onto them. Legends are drawn as font outlines rather than with
// the font engine, so hinting and subpixel settings of the machine that runs
// the generator cannot change the pictures.
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "app/skin_layouts.h"
#include "artwork_colours.h"
#include "generator.h"

namespace {

using namespace artwork;

using zapvane::HotSpot;
using zapvane::SkinLayout;

constexpr int kPaletteSize = 240;  // shared by all three skins, well inside an 8-bit palette
// Keeps each key off its rectangle's edge, and so off the neighbouring hot
// spots, which are as little as 5 pixels away (or overlap, on the VCR cross).
constexpr qreal kButtonMargin = 3.0;

enum class Shape { rounded, round, pill };

QRectF spotRect(const HotSpot& spot) { return QRectF(spot.left(), spot.top(), spot.width, spot.height); }

QPainterPath buttonShape(const HotSpot& spot, Shape shape) {
  const QRectF r = spotRect(spot).adjusted(kButtonMargin, kButtonMargin, -kButtonMargin, -kButtonMargin);
  QPainterPath path;
  switch (shape) {
    case Shape::rounded:
      path.addRoundedRect(r, 8, 8);
      break;
    case Shape::round:
      path.addEllipse(r);
      break;
    case Shape::pill:
      path.addRoundedRect(r, r.height() / 2, r.height() / 2);
      break;
  }
  return path;
}

// A raised key: a one-pixel drop shadow (still inside the margin), a face lit
// from above and a bright rim that fades out towards the bottom.
void drawKey(QPainter& p, const QPainterPath& shape, const Face& face) {
  const QRectF box = shape.boundingRect();
  p.fillPath(shape.translated(0, 1.5), kShadow);
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, face.top);
  fill.setColorAt(1, face.bottom);
  p.fillPath(shape, fill);
  QLinearGradient rim(box.topLeft(), box.bottomLeft());
  rim.setColorAt(0, face.rim);
  rim.setColorAt(0.55, Qt::transparent);
  p.save();
  p.setClipPath(shape);
  p.strokePath(shape, QPen(QBrush(rim), 2.0));
  p.restore();
}

QFont legendFont(qreal pixels) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(static_cast<int>(std::lround(pixels)));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Text centred on `centre` by its ink, not its line box, so digits and
// letters sit optically in the middle of the key.
void drawText(QPainter& p, QPointF centre, const QString& text, qreal pixels, const QColor& colour) {
  QPainterPath path;
  path.addText(0, 0, legendFont(pixels), text);
  const QRectF ink = path.boundingRect();
  p.fillPath(path.translated(centre - ink.center()), colour);
}

QPainterPath triangle(QPointF tip, qreal length, qreal height, int direction) {
  QPainterPath path;
  path.moveTo(tip);
  path.lineTo(tip.x() - direction * length, tip.y() - height / 2);
  path.lineTo(tip.x() - direction * length, tip.y() + height / 2);
  path.closeSubpath();
  return path;
}

void fillBar(QPainter& p, qreal left, qreal top, qreal width, qreal height, const QColor& colour) {
  p.fillRect(QRectF(left, top, width, height), colour);
}

// Legend painters: each draws centred on c in the key's legend colour.
using Legend = std::function<void(QPainter&, QPointF c, const QColor& ink)>;

Legend text(const QString& s, qreal pixels) {
  return [s, pixels](QPainter& p, QPointF c, const QColor& ink) { drawText(p, c, s, pixels, ink); };
}

void powerSymbol(QPainter& p, QPointF c, const QColor& ink) {
  p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  const QRectF ring(c.x() - 6.5, c.y() - 5.5, 13, 13);
  p.drawArc(ring, 120 * 16, 300 * 16);
  p.drawLine(QPointF(c.x(), c.y() - 7.5), QPointF(c.x(), c.y() - 0.5));
  p.setPen(Qt::NoPen);
}

Legend arrow(int direction) {
  return [direction](QPainter& p, QPointF c, const QColor& ink) {
    p.fillPath(triangle({c.x() + direction * 4.5, c.y()}, 9, 12, direction), ink);
  };
}

QPainterPath speaker(QPointF c) {
  QPainterPath path;
  path.moveTo(c.x() - 6, c.y() - 3);
  path.lineTo(c.x() - 3, c.y() - 3);
  path.lineTo(c.x() + 2, c.y() - 7.5);
  path.lineTo(c.x() + 2, c.y() + 7.5);
  path.lineTo(c.x() - 3, c.y() + 3);
  path.lineTo(c.x() - 6, c.y() + 3);
  path.closeSubpath();
  return path;
}

void plusMinus(QPainter& p, QPointF c, bool plus, qreal half, const QColor& ink) {
  fillBar(p, c.x() - half, c.y() - 1, 2 * half, 2, ink);
  if (plus) fillBar(p, c.x() - 1, c.y() - half, 2, 2 * half, ink);
}

Legend volume(bool plus) {
  return [plus](QPainter& p, QPointF c, const QColor& ink) {
    p.fillPath(speaker({c.x() - 4, c.y()}), ink);
    plusMinus(p, {c.x() + 7, c.y()}, plus, 4.5, ink);
  };
}

Legend programme(bool plus) {
  return [plus](QPainter& p, QPointF c, const QColor& ink) {
    drawText(p, {c.x() - 4, c.y()}, QStringLiteral("P"), 16, ink);
    plusMinus(p, {c.x() + 7, c.y()}, plus, 4.5, ink);
  };
}

void muteSymbol(QPainter& p, QPointF c, const QColor& ink) {
  p.fillPath(speaker({c.x() - 4, c.y()}), ink);
  p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c.x() + 3.5, c.y() - 3.5), QPointF(c.x() + 10.5, c.y() + 3.5));
  p.drawLine(QPointF(c.x() + 3.5, c.y() + 3.5), QPointF(c.x() + 10.5, c.y() - 3.5));
  p.setPen(Qt::NoPen);
}

void playSymbol(QPainter& p, QPointF c, const QColor& ink) { p.fillPath(triangle({c.x() + 7, c.y()}, 12, 14, 1), ink); }

void stopSymbol(QPainter& p, QPointF c, const QColor& ink) { fillBar(p, c.x() - 5.5, c.y() - 5.5, 11, 11, ink); }

void pauseSymbol(QPainter& p, QPointF c, const QColor& ink) {
  fillBar(p, c.x() - 5, c.y() - 6, 3.5, 12, ink);
  fillBar(p, c.x() + 1.5, c.y() - 6, 3.5, 12, ink);
}

// Red whatever the key's legend colour: a red dot is what every recorder uses.
void recordSymbol(QPainter& p, QPointF c, const QColor&) {
  QPainterPath dot;
  dot.addEllipse(c, 6.5, 6.5);
  p.fillPath(dot, kRecordRed);
}

// Two triangles pointing `direction`, optionally ending at a bar: fast
// forward and rewind without the bar, skip with it.
Legend doubleArrow(int direction, bool bar) {
  return [direction, bar](QPainter& p, QPointF c, const QColor& ink) {
    const qreal shift = bar ? -1.5 * direction : 0;
    const qreal tip = c.x() + shift + direction * 8;
    p.fillPath(triangle({tip, c.y()}, 8, 11, direction), ink);
    p.fillPath(triangle({tip - direction * 8, c.y()}, 8, 11, direction), ink);
    if (bar) fillBar(p, direction > 0 ? tip : tip - 2.5, c.y() - 5.5, 2.5, 11, ink);
  };
}

struct Key {
  int record;
  Shape shape;
  const Face* face;
  Legend legend;
};

void drawKeys(QPainter& p, const SkinLayout& layout, const std::vector<Key>& keys) {
  for (const Key& key : keys) {
    const HotSpot& spot = layout.records[static_cast<size_t>(key.record)];
    drawKey(p, buttonShape(spot, key.shape), *key.face);
    key.legend(p, spotRect(spot).center(), key.face->legend);
  }
}

// A sunken, plain dark field: a dark bezel just outside `field`, a light
// lower edge, and the field itself one flat colour for text to be drawn on.
void drawWell(QPainter& p, const QRectF& field, const QColor& colour) {
  p.fillRect(field.adjusted(-2, -2, 2, 2), kWell);
  p.fillRect(QRectF(field.left() - 2, field.bottom() + 2, field.width() + 4, 1), kGrooveLight);
  p.fillRect(field, colour);
}

void drawGroove(QPainter& p, qreal y) {
  p.fillRect(QRectF(12, y, 216, 1), kGroove);
  p.fillRect(QRectF(12, y + 1, 216, 1), kGrooveLight);
}

// The remote's body: a slightly rounded slab lit from the top, with a bright
// top-left bevel. Its top edge sits at picture row 3, the first row shown.
void drawBody(QPainter& p) {
  p.fillRect(QRect(0, 0, zapvane::kSkinWidth, zapvane::kSkinHeight), kBackdrop);
  const QRectF slab(0.5, 3.5, zapvane::kSkinWidth - 1.0, zapvane::kSkinHeight - 4.0);
  QPainterPath body;
  body.addRoundedRect(slab, 9, 9);
  QLinearGradient fill(slab.topLeft(), slab.bottomLeft());
  fill.setColorAt(0, kBodyTop);
  fill.setColorAt(1, kBodyBottom);
  p.fillPath(body, fill);
  p.save();
  p.setClipPath(body);
  QLinearGradient bevel(slab.topLeft(), slab.bottomRight());
  bevel.setColorAt(0, kBodyRim);
  bevel.setColorAt(0.5, Qt::transparent);
  bevel.setColorAt(1, kBodyEdge);
  p.strokePath(body, QPen(QBrush(bevel), 3.0));
  p.restore();
}

// The row every page shares: the arrows to step through the devices and the
// name box between them.
void drawTopRow(QPainter& p, const SkinLayout& layout) {
  drawWell(p, spotRect(layout.nameBox()), kLcd);
  drawKeys(p, layout, {{3, Shape::rounded, &kGreyFace, arrow(-1)}, {4, Shape::rounded, &kGreyFace, arrow(1)}});
}

QImage newCanvas() {
  QImage image(zapvane::kSkinWidth, zapvane::kSkinHeight, QImage::Format_RGB32);
  image.fill(kBackdrop);
  return image;
}

QImage drawTvSkin() {
  QImage image = newCanvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  drawBody(p);
  drawTopRow(p, zapvane::tvLayout);
  drawGroove(p, 44);
  drawGroove(p, 196);
  std::vector<Key> keys{
      {2, Shape::pill, &kAmberFace, text(QStringLiteral("SHIFT"), 14)},
      {15, Shape::round, &kRedFace, powerSymbol},
      {16, Shape::rounded, &kSlateFace, programme(true)},
      {17, Shape::rounded, &kSlateFace, programme(false)},
      {18, Shape::rounded, &kSlateFace, volume(true)},
      {19, Shape::rounded, &kSlateFace, volume(false)},
      {20, Shape::rounded, &kSlateFace, muteSymbol},
      {21, Shape::rounded, &kSlateFace, text(QStringLiteral("-/--"), 14)},
  };
  for (int digit = 0; digit < 10; ++digit) {
    keys.push_back({5 + digit, Shape::rounded, &kGreyFace, text(QString::number((digit + 1) % 10), 18)});
  }
  drawKeys(p, zapvane::tvLayout, keys);
  drawText(p, {120, 259}, QStringLiteral("Z A P V A N E"), 8, kBrand);
  return image;
}

QImage drawVcrSkin() {
  QImage image = newCanvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  drawBody(p);
  drawTopRow(p, zapvane::vcrLayout);
  drawGroove(p, 44);
  drawGroove(p, 99);
  drawKeys(p, zapvane::vcrLayout,
           {
               {2, Shape::pill, &kAmberFace, text(QStringLiteral("SHIFT"), 13)},
               {5, Shape::round, &kRedFace, powerSymbol},
               {6, Shape::rounded, &kSlateFace, programme(true)},
               {7, Shape::rounded, &kSlateFace, programme(false)},
               {8, Shape::rounded, &kSlateFace, volume(true)},
               {9, Shape::rounded, &kSlateFace, volume(false)},
               {10, Shape::round, &kGreyFace, playSymbol},
               {11, Shape::round, &kGreyFace, stopSymbol},
               {12, Shape::round, &kGreyFace, doubleArrow(1, false)},
               {13, Shape::round, &kGreyFace, doubleArrow(-1, false)},
               {14, Shape::round, &kGreyFace, doubleArrow(1, true)},
               {15, Shape::round, &kGreyFace, doubleArrow(-1, true)},
               {16, Shape::round, &kGreyFace, pauseSymbol},
               {17, Shape::round, &kGreyFace, recordSymbol},
               {18, Shape::rounded, &kSlateFace, text(QStringLiteral("F1"), 15)},
               {19, Shape::rounded, &kSlateFace, text(QStringLiteral("F2"), 15)},
               {20, Shape::rounded, &kSlateFace, text(QStringLiteral("F3"), 15)},
           });
  return image;
}

// The label panels cover the text rectangles the window writes labels into:
// x 60..115 and 125..180 on the rows of the F keys beside them.
QImage drawShiftSkin() {
  QImage image = newCanvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  drawBody(p);
  drawTopRow(p, zapvane::shiftLayout);
  const SkinLayout& layout = zapvane::shiftLayout;
  const HotSpot& first = layout.records[5];
  const HotSpot& last = layout.records[9];
  const qreal top = first.top() - 2;
  const qreal bottom = last.bottom() + 2;
  drawWell(p, QRectF(58, top, 59, bottom - top), kPanel);
  drawWell(p, QRectF(123, top, 59, bottom - top), kPanel);
  std::vector<Key> keys{{2, Shape::pill, &kAmberFace, text(QStringLiteral("Shift"), 13)}};
  for (int slot = 0; slot < 10; ++slot) {
    keys.push_back({5 + slot, Shape::rounded, &kSlateFace, text(QStringLiteral("F%1").arg((slot + 1) % 10), 15)});
  }
  drawKeys(p, layout, keys);
  return image;
}

// ---- palette -------------------------------------------------------------

struct Bucket {
  std::vector<std::pair<QRgb, uint32_t>> colours;  // colour and pixel count

  uint64_t weight() const {
    uint64_t sum = 0;
    for (const auto& [rgb, count] : colours) sum += count;
    return sum;
  }
  int channel(QRgb rgb, int axis) const { return axis == 0 ? qRed(rgb) : axis == 1 ? qGreen(rgb) : qBlue(rgb); }
  int spread(int axis) const {
    int low = 255, high = 0;
    for (const auto& entry : colours) {
      low = std::min(low, channel(entry.first, axis));
      high = std::max(high, channel(entry.first, axis));
    }
    return high - low;
  }
  int widestAxis() const {
    int best = 0;
    for (int axis = 1; axis < 3; ++axis) best = spread(axis) > spread(best) ? axis : best;
    return best;
  }
  // A colour that fills most of its bucket (a flat area) is kept exactly, so
  // plain fields stay the colour they were drawn in.
  QRgb representative() const {
    uint64_t total = weight(), r = 0, g = 0, b = 0;
    for (const auto& [rgb, count] : colours) {
      if (2 * uint64_t{count} > total) return rgb;
      r += uint64_t{count} * static_cast<uint64_t>(qRed(rgb));
      g += uint64_t{count} * static_cast<uint64_t>(qGreen(rgb));
      b += uint64_t{count} * static_cast<uint64_t>(qBlue(rgb));
    }
    const auto mean = [total](uint64_t sum) { return static_cast<int>((sum + total / 2) / total); };
    return qRgb(mean(r), mean(g), mean(b));
  }
};

// Median cut over the colours of all pictures together, so the three skins
// share one palette: split the bucket with the largest spread times square
// root of its pixel count at the weighted median of its widest channel. The
// root keeps large flat areas from taking entries the few pixels of an
// antialiased edge need more.
QList<QRgb> buildPalette(const std::vector<QImage>& images) {
  std::map<QRgb, uint32_t> histogram;
  for (const QImage& image : images) {
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) ++histogram[image.pixel(x, y) | 0xFF000000u];
    }
  }
  std::vector<Bucket> buckets(1);
  buckets[0].colours.assign(histogram.begin(), histogram.end());
  while (buckets.size() < static_cast<size_t>(kPaletteSize)) {
    size_t pick = buckets.size();
    double bestScore = 0;
    for (size_t i = 0; i < buckets.size(); ++i) {
      if (buckets[i].colours.size() < 2) continue;
      const double score =
          std::sqrt(static_cast<double>(buckets[i].weight())) * buckets[i].spread(buckets[i].widestAxis());
      if (score > bestScore) {
        bestScore = score;
        pick = i;
      }
    }
    if (pick == buckets.size()) break;
    Bucket& bucket = buckets[pick];
    const int axis = bucket.widestAxis();
    std::sort(bucket.colours.begin(), bucket.colours.end(), [&](const auto& a, const auto& b) {
      const int ca = bucket.channel(a.first, axis), cb = bucket.channel(b.first, axis);
      return ca != cb ? ca < cb : a.first < b.first;
    });
    const uint64_t half = bucket.weight() / 2;
    uint64_t running = 0;
    size_t cut = 1;
    for (; cut < bucket.colours.size() - 1; ++cut) {
      running += bucket.colours[cut - 1].second;
      if (running >= half) break;
    }
    Bucket upper;
    upper.colours.assign(bucket.colours.begin() + static_cast<std::ptrdiff_t>(cut), bucket.colours.end());
    bucket.colours.resize(cut);
    buckets.push_back(std::move(upper));
  }
  QList<QRgb> palette;
  for (const Bucket& bucket : buckets) palette.push_back(bucket.representative());
  std::sort(palette.begin(), palette.end());
  palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
  return palette;
}

// Nearest palette colour for every pixel; no dithering, so flat areas stay
// flat and edges stay clean.
QImage toIndexed(const QImage& image, const QList<QRgb>& palette) {
  QImage indexed(image.size(), QImage::Format_Indexed8);
  indexed.setColorTable(palette);
  std::map<QRgb, uint8_t> nearest;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb rgb = image.pixel(x, y);
      auto found = nearest.find(rgb);
      if (found == nearest.end()) {
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < palette.size(); ++i) {
          const QRgb c = palette[i];
          const int dr = qRed(rgb) - qRed(c), dg = qGreen(rgb) - qGreen(c), db = qBlue(rgb) - qBlue(c);
          const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;  // the eye weighs green most
          if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
          }
        }
        found = nearest.emplace(rgb, static_cast<uint8_t>(best)).first;
      }
      indexed.setPixel(x, y, found->second);
    }
  }
  return indexed;
}

}  // namespace

int main(int argc, char** argv) {
  return generator::run(argc, argv, "make_skins", [](const QString& dir) {
    // Another face would move every legend; better no pictures than different ones.
    if (QFontInfo(legendFont(16)).family() != QStringLiteral("DejaVu Sans")) {
      std::fprintf(stderr, "make_skins: the DejaVu Sans font is not installed\n");
      return false;
    }
    const std::vector<QImage> skins{drawTvSkin(), drawVcrSkin(), drawShiftSkin()};
    const QList<QRgb> palette = buildPalette(skins);
    const std::array<const char*, 3> names{"skin_tv.bmp", "skin_vcr.bmp", "skin_shift.bmp"};
    bool ok = true;
    for (size_t i = 0; i < skins.size(); ++i) {
      const QString path = dir + QLatin1String(names[i]);
      ok = generator::report(toIndexed(skins[i], palette).save(path), "make_skins", path) && ok;
    }
    return ok;
  });
}
