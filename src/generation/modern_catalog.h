// The modern catalog: index pages with a grid of thumbnails that reflows to the window, and the
// modern image pages (modern_image_page.h). It takes the same item list, names and settings as
// the classic pages, and adds the stylesheet and script (written before the pages) and the list
// of photos that full screen moves through.
//
// The run makes one ModernCatalog for its page-writing pass, once every index page is assigned,
// calls WriteIndexPage for each index page in order, as it would the classic WriteIndexPage,
// and Finish() after the last one (also after a cancel). An image page is written once the next
// item's thumbnail is made, so that it knows the picture to load ahead. In a folder tree
// (folder_links.h) the first page's grid starts with a card per sub-album, and every page of a
// sub-album has an "Up" button to its parent's first page.
#pragma once

#include <string>
#include <vector>

#include "generation/modern_image_page.h"

namespace fotoloom {

class ModernCatalog {
 public:
  // REQUIRES: the item list read, every item's index page assigned.
  ModernCatalog();

  // Writes the index page of items first..last to file_name, as the classic WriteIndexPage
  // does: every item's thumbnail, its progress step, a cancel check before each thumbnail (the
  // page is then written with the items made so far), and the image pages.
  // Raises FileCreateError / FileWriteError naming a page that cannot be written.
  void WriteIndexPage(const std::string& file_name, int first, int last);

  // Writes the image pages still waiting and, with image pages, the list of photos. Raises as
  // WriteIndexPage does.
  void Finish();

 private:
  // Called after item i's thumbnail: item i's picture is known, so the previous item's pages
  // can be written.
  void AddPhoto(int i, const ModernPicture& picture);
  void WriteWaitingPages(const std::string& next_picture);
  void AppendNavigation(std::vector<std::string>& lines, int page) const;

  std::vector<std::string> index_pages_;  // every index page's name, in order
  std::vector<int> page_firsts_;          // the first item of each
  std::vector<std::string> records_;      // ModernItemRecord of every photo written so far
  int waiting_ = -1;                      // the item whose pages wait for the next picture
  ModernPicture waiting_picture_;
};

}  // namespace fotoloom
