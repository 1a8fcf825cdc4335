// The pictures the program draws for itself: one side picture per wizard page (170 x 290, each
// page its own) and the program icon. Drawn with QPainter, so they need no image files.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace fotoloom {

inline constexpr int kSidePictureWidth = 170;
inline constexpr int kSidePictureHeight = 290;

// page 1 to 7; any other page gives the first page's picture. scale enlarges it, drawn afresh
// at that size rather than stretched.
QPixmap SidePicture(int page, double scale = 1.0);
// What the side picture of page says, "Step 3 of 7": also its text for a screen reader.
QString StepText(int page);
QIcon AppIcon();
// The icon at one size, for the desktop entry written at install time.
QPixmap AppIconPixmap(int size);

}  // namespace fotoloom
