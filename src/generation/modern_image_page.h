// The modern page of one image, in the data directory: Previous / Index / Next buttons, the
// slide show's button and the full-screen one above a picture that fits the window, linked to
// the image itself; its caption and description under it. The script (modern_page.h) adds the
// keys, the swipe, full screen and the slide show's timer; without it the page is plain links.
//
// With a slide show (MakesShowPages), every image also gets a show page: the same page playing,
// whose Previous and Next lead to the neighbours' show pages and whose refresh (only without
// scripts) moves on to the next one after SlideShowDelay seconds, stopping at the last image.
// Its "Pause" button leads back to the image's own page.
#pragma once

#include <string>

#include "imaging/jpeg_frame_size.h"

namespace fotoloom {

// What an image page shows of its item: the picture (the preview, or the image itself), as the
// data directory sees it, and its size when known ({0, 0}: the browser finds out).
struct ModernPicture {
  std::string url;
  FrameSize size;
};

// The picture an image page shows of item i: its preview when one was written (preview, a
// path), otherwise the image itself.
ModernPicture PictureOf(int i, const std::string& preview, FrameSize preview_size);

// Writes ItemImagePage(i) and, with a slide show, ItemShowPage(i). next_picture is the picture
// of item i + 1 (empty for the last item), which the page loads ahead.
// Raises FileCreateError / FileWriteError naming a page that cannot be written.
// REQUIRES: 0 <= i < ItemCount(), index pages assigned.
void WriteModernImagePages(int i, const ModernPicture& picture, const std::string& next_picture);

// Item i as one entry of the list that full screen moves through (ModernItemsFileName): a JSON
// array of its page, picture, width, height, image, title, caption, description and index link,
// and with ShowPhotoDetails its camera line, every address relative to the data directory.
std::string ModernItemRecord(int i, const ModernPicture& picture);

// The anchor of item i on its index page ("photo" + i + 1), and the link from the data
// directory to it.
std::string PhotoAnchor(int i);
std::string IndexLinkOf(int i);

}  // namespace fotoloom
