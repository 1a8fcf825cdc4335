#include "wizard/window/side_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace fotoloom {
namespace {

struct Theme {
  QColor top;
  QColor bottom;
};

// One colour pair per page, so the pages tell themselves apart at a glance.
constexpr std::array<std::array<int, 6>, 7> kThemes = {{
    {0x1d, 0x3f, 0x8f, 0x6f, 0xa8, 0xdc},
    {0x24, 0x5b, 0x6e, 0x8c, 0xc6, 0xc0},
    {0x3a, 0x2f, 0x7a, 0x9b, 0x8b, 0xd6},
    {0x2e, 0x5d, 0x2f, 0x9c, 0xc8, 0x8a},
    {0x7a, 0x2f, 0x4f, 0xe0, 0x9a, 0x7c},
    {0x23, 0x23, 0x3a, 0x6c, 0x7c, 0x9e},
    {0x0f, 0x4c, 0x5c, 0xe8, 0xb7, 0x4a},
}};

Theme ThemeOf(int page) {
  const auto& t = kThemes[static_cast<size_t>(page - 1)];
  return {QColor(t[0], t[1], t[2]), QColor(t[3], t[4], t[5])};
}

// A photo print with a white border, a little sky and two hills, turned by angle degrees.
void DrawPrint(QPainter& p, QPointF centre, double w, double h, double angle, QColor sky) {
  p.save();
  p.translate(centre);
  p.rotate(angle);
  p.setPen(QPen(QColor(0, 0, 0, 60), 1));
  p.setBrush(QColor(0, 0, 0, 50));
  p.drawRect(QRectF(-w / 2 + 3, -h / 2 + 3, w, h));
  p.setBrush(QColor(250, 250, 246));
  p.drawRect(QRectF(-w / 2, -h / 2, w, h));
  const QRectF inner(-w / 2 + 5, -h / 2 + 5, w - 10, h - 16);
  QLinearGradient g(inner.topLeft(), inner.bottomLeft());
  g.setColorAt(0, sky.lighter(150));
  g.setColorAt(1, sky);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRect(inner);
  p.setBrush(QColor(255, 236, 150));
  p.drawEllipse(QPointF(inner.right() - inner.width() * 0.25, inner.top() + inner.height() * 0.3),
                inner.height() * 0.12, inner.height() * 0.12);
  QPainterPath hills;
  hills.moveTo(inner.bottomLeft());
  hills.quadTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.45,
               inner.left() + inner.width() * 0.6, inner.bottom() - inner.height() * 0.2);
  hills.quadTo(inner.left() + inner.width() * 0.8, inner.top() + inner.height() * 0.5,
               inner.right(), inner.bottom() - inner.height() * 0.1);
  hills.lineTo(inner.bottomRight());
  hills.closeSubpath();
  p.setBrush(QColor(70, 130, 70));
  p.drawPath(hills);
  p.restore();
}

void DrawMotif(QPainter& p, int page, const Theme& theme) {
  p.setRenderHint(QPainter::Antialiasing);
  const QColor light(255, 255, 255, 210);
  switch (page) {
    case 1:  // a loose pile of prints
      DrawPrint(p, {70, 190}, 90, 72, -14, theme.bottom);
      DrawPrint(p, {100, 150}, 90, 72, 9, theme.top.lighter(170));
      DrawPrint(p, {85, 110}, 90, 72, -4, theme.bottom.darker(110));
      break;
    case 2: {  // a page with a title line, text lines and a footer
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(250, 250, 246));
      p.drawRoundedRect(QRectF(30, 70, 110, 150), 4, 4);
      p.setBrush(theme.top);
      p.drawRect(QRectF(42, 84, 86, 10));
      p.setBrush(QColor(180, 180, 180));
      for (int i = 0; i < 6; ++i) p.drawRect(QRectF(42, 104 + i * 12, i % 2 ? 70 : 86, 5));
      p.setBrush(theme.bottom.darker(130));
      p.drawRect(QRectF(42, 200, 60, 6));
      break;
    }
    case 3: {  // a grid of thumbnails
      p.setPen(Qt::NoPen);
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
          p.setBrush(light);
          p.drawRect(QRectF(28 + c * 40, 70 + r * 40, 34, 34));
          p.setBrush(r % 2 == c % 2 ? theme.top.lighter(140) : theme.bottom.darker(120));
          p.drawRect(QRectF(31 + c * 40, 73 + r * 40, 28, 22));
        }
      break;
    }
    case 4: {  // bars in ascending order
      p.setPen(Qt::NoPen);
      for (int i = 0; i < 5; ++i) {
        p.setBrush(i % 2 ? light : theme.top.lighter(160));
        const double h = 30 + i * 25;
        p.drawRect(QRectF(30 + i * 23, 220 - h, 16, h));
      }
      p.setPen(QPen(light, 3));
      p.drawLine(QPointF(25, 225), QPointF(145, 225));
      break;
    }
    case 5: {  // a palette with paint spots
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(236, 212, 170));
      p.drawEllipse(QRectF(20, 90, 130, 100));
      const std::array<QColor, 5> paints = {QColor(200, 40, 40), QColor(40, 90, 200),
                                            QColor(240, 200, 40), QColor(60, 160, 70),
                                            QColor(130, 60, 160)};
      for (size_t i = 0; i < paints.size(); ++i) {
        p.setBrush(paints[i]);
        p.drawEllipse(QPointF(50 + (i % 3) * 32.0, 118 + (i / 3) * 34.0), 11, 11);
      }
      p.setBrush(theme.top);
      p.drawEllipse(QPointF(118, 168), 9, 9);
      break;
    }
    case 6: {  // a framed backdrop with a note
      p.setPen(QPen(light, 4));
      p.setBrush(theme.bottom.lighter(120));
      p.drawRect(QRectF(30, 80, 110, 110));
      p.setPen(QPen(theme.top, 4));
      p.drawLine(QPointF(95, 105), QPointF(95, 155));
      p.setPen(Qt::NoPen);
      p.setBrush(theme.top);
      p.drawEllipse(QPointF(86, 157), 10, 7);
      break;
    }
    default: {  // a progress bar filling up under a finished print
      DrawPrint(p, {85, 120}, 100, 80, 0, theme.bottom);
      p.setPen(QPen(light, 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(25, 190, 120, 14));
      p.setPen(Qt::NoPen);
      p.setBrush(light);
      p.drawRect(QRectF(28, 193, 80, 9));
      break;
    }
  }
}

}  // namespace

QPixmap SidePicture(int page, double scale) {
  if (page < 1 || page > 7) page = 1;
  const Theme theme = ThemeOf(page);
  QPixmap pixmap(qRound(kSidePictureWidth * scale), qRound(kSidePictureHeight * scale));
  QPainter p(&pixmap);
  p.scale(scale, scale);
  QLinearGradient g(0, 0, 0, kSidePictureHeight);
  g.setColorAt(0, theme.top);
  g.setColorAt(1, theme.bottom);
  p.fillRect(QRect(0, 0, kSidePictureWidth, kSidePictureHeight), g);
  DrawMotif(p, page, theme);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font("Sans Serif");
  font.setPixelSize(15);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(255, 255, 255, 230));
  p.drawText(QRect(0, 246, kSidePictureWidth, 24), Qt::AlignCenter, StepText(page));
  return pixmap;
}

QString StepText(int page) { return QString("Step %1 of 7").arg(page); }

QPixmap AppIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  // A loom of three prints.
  DrawPrint(p, {26, 36}, 36, 30, -12, QColor(60, 110, 200));
  DrawPrint(p, {38, 30}, 36, 30, 10, QColor(230, 150, 60));
  DrawPrint(p, {32, 26}, 36, 30, 0, QColor(90, 170, 210));
  return pixmap;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(AppIconPixmap(size));
  return icon;
}

}  // namespace fotoloom
