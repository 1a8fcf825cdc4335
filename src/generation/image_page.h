// The page of one image, written into the data directory: the full-size image from the
// album directory with its caption and description, links to the previous image, back to
// the row of the index page that shows it, and to the next image, and, when SlideShow is on,
// a refresh to the next page that loops from the last image back to the first.
#pragma once

#include <string>

namespace fotoloom {

// Writes ItemImagePage(i). row is the number (from 1 on each index page) of the thumbnail row
// in which item i stands on its index page; the back link targets that row's anchor.
// Navigation does not wrap: the first page shows a plain Previous text, the last a plain Next.
// With a preview (the path of the item's preview, in the data directory) the page shows the
// preview instead of the image, fitted to the browser window and linked to the image.
// Raises FileCreateError / FileWriteError naming the page when it cannot be written.
// REQUIRES: 0 <= i < ItemCount(), index pages assigned.
void WriteImagePage(int i, int row, const std::string& preview = {});

}  // namespace fotoloom
