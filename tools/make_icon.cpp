// Draws the program icon: PNGs at 16, 32 and 64 pixels for the window and
// 48, 128 and 256 for the desktop's hicolor theme, and zapvane.svg, the
// scalable one, from the same shapes.
//   make_icon <resources-dir>
//
// A small remote, power key lit red, sending two infrared waves from its top
// corner, in the colours of the skins' grey keys. Drawn on a 64-unit grid;
// the PNGs scale it, and their strokes keep at least about a pixel and a
// half so the 16 x 16 icon stays legible. The SVG is written as text rather
// than through a painter, so it stays small, readable and the same on every
// machine.
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "artwork_colours.h"
#include "generator.h"

namespace {

using namespace artwork;

const QColor& kFaceTop = kGreyFace.rim;
const QColor& kFaceBottom = kGreyFace.bottom;
const QColor& kPowerRed = kRecordRed;
const QColor& kKeyWhite = kLegend;

// The shapes, in units of the 64-unit grid.
const QRectF kRemote(3, 21, 31, 42);
constexpr qreal kRemoteRadius = 6;
constexpr qreal kFaceRadius = 4;
constexpr qreal kRim = 2.5;  // between the remote's edge and its face
const QPointF kPower(18.5, 32);
constexpr qreal kPowerRadius = 6;
constexpr qreal kKeySize = 5;
QRectF keyRect(int row, int column) { return QRectF(10 + column * 12, 43 + row * 10, kKeySize, kKeySize); }
const QPointF kEmitter(32, 27);
constexpr qreal kWaveRadii[] = {13.0, 24.5};
constexpr qreal kWaveWidth = 5;
constexpr int kWaveStartDegrees = 12;  // counterclockwise from three o'clock, as QPainter counts
constexpr int kWaveSpanDegrees = 66;

QImage drawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 64.0;
  p.scale(unit, unit);
  const qreal minStroke = 1.4 / unit;

  QPainterPath body;
  body.addRoundedRect(kRemote, kRemoteRadius, kRemoteRadius);
  p.fillPath(body, kBodyEdge);
  const qreal rim = std::max(kRim, minStroke * 0.8);
  QPainterPath face;
  face.addRoundedRect(kRemote.adjusted(rim, rim, -rim, -rim), kFaceRadius, kFaceRadius);
  QLinearGradient fill(kRemote.topLeft(), kRemote.bottomLeft());
  fill.setColorAt(0, kFaceTop);
  fill.setColorAt(1, kFaceBottom);
  p.fillPath(face, fill);
  QPainterPath power;
  power.addEllipse(kPower, kPowerRadius, kPowerRadius);
  p.fillPath(power, kPowerRed);
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) p.fillRect(keyRect(row, column), kKeyWhite);
  }
  p.setPen(QPen(kIrWave, std::max(kWaveWidth, minStroke), Qt::SolidLine, Qt::RoundCap));
  for (const qreal radius : kWaveRadii) {
    p.drawArc(QRectF(kEmitter.x() - radius, kEmitter.y() - radius, 2 * radius, 2 * radius), kWaveStartDegrees * 16,
              kWaveSpanDegrees * 16);
  }
  return image;
}

QString number(qreal value) { return QString::number(value, 'g', 6); }

// A point of a wave at an angle counted as QPainter counts it (y grows down).
QString wavePoint(qreal radius, int degrees) {
  const qreal radians = degrees * M_PI / 180;
  return number(kEmitter.x() + radius * std::cos(radians)) + QLatin1Char(' ') +
         number(kEmitter.y() - radius * std::sin(radians));
}

QString rect(const QRectF& r, const QString& fill, qreal radius = 0) {
  QString text = QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"")
                     .arg(number(r.x()), number(r.y()), number(r.width()), number(r.height()));
  if (radius > 0) text += QStringLiteral(" rx=\"%1\"").arg(number(radius));
  return text + QStringLiteral(" fill=\"%1\"/>\n").arg(fill);
}

QString svgIcon() {
  QString svg = QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n"
                    "  <title>Zapvane</title>\n"
                    "  <defs>\n"
                    "    <linearGradient id=\"face\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"%1\" x2=\"0\" "
                    "y2=\"%2\">\n"
                    "      <stop offset=\"0\" stop-color=\"%3\"/>\n"
                    "      <stop offset=\"1\" stop-color=\"%4\"/>\n"
                    "    </linearGradient>\n"
                    "  </defs>\n")
                    .arg(number(kRemote.top()), number(kRemote.bottom()), kFaceTop.name(), kFaceBottom.name());
  svg += rect(kRemote, kBodyEdge.name(), kRemoteRadius);
  svg += rect(kRemote.adjusted(kRim, kRim, -kRim, -kRim), QStringLiteral("url(#face)"), kFaceRadius);
  svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
             .arg(number(kPower.x()), number(kPower.y()), number(kPowerRadius), kPowerRed.name());
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) svg += rect(keyRect(row, column), kKeyWhite.name());
  }
  for (const qreal radius : kWaveRadii) {
    // Sweep flag 0: from the start angle on, against the clock as the eye sees it.
    svg += QStringLiteral(
               "  <path d=\"M %1 A %2 %2 0 0 0 %3\" fill=\"none\" stroke=\"%4\" stroke-width=\"%5\" "
               "stroke-linecap=\"round\"/>\n")
               .arg(wavePoint(radius, kWaveStartDegrees), number(radius),
                    wavePoint(radius, kWaveStartDegrees + kWaveSpanDegrees), kIrWave.name(), number(kWaveWidth));
  }
  return svg + QStringLiteral("</svg>\n");
}

bool saveText(const QString& text, const QString& path) {
  QFile file(path);
  const QByteArray bytes = text.toUtf8();
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  return generator::run(argc, argv, "make_icon", [](const QString& dir) {
    bool ok = true;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
      const QString path = dir + QStringLiteral("icon_%1.png").arg(size);
      ok = generator::report(drawIcon(size).save(path), "make_icon", path) && ok;
    }
    const QString svg = dir + QStringLiteral("zapvane.svg");
    return generator::report(saveText(svgIcon(), svg), "make_icon", svg) && ok;
  });
}
