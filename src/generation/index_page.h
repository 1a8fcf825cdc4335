// The catalog's index pages: a header, a table of thumbnails (with a row of file details
// under each row of thumbnails), a footer and, in a catalog of several pages, links to the
// neighbouring pages. The writer also drives thumbnail making, the per-item progress step
// and the cancel checks, because thumbnails are made while their cells are written.
//
// Everything reads the process-wide Album() settings and the item list (album_items.h); the
// run (album.h) has made the album directory current and assigned every item's index page.
// Pages are built as a list of lines and written in one piece, every line ending in CR LF.
// Text taken from file names is HTML-escaped; texts the user typed are pasted as typed.
#pragma once

#include <string>

#include "generation/page_text.h"

namespace fotoloom {

// Writes the index page of items first..last (0-based, inclusive; first <= last < ItemCount())
// to file_name, relative to the current directory. In a folder tree (folder_links.h) the first
// page shows the sub-album cells before the photos, in rows of ThumbsPerRow, and a folder with
// sub-albums only gets a page of them (first 0, last -1, no items); every page of a sub-album
// has the "Up" link in its navigation block, between the previous and next page links. Writes every item's thumbnail
// (WriteItemThumbnail: from the run's workers when it has them, from EmptyThumbnail when the
// image gives none) and, when GenerateHTMLImages is on, its image page.
// A cancel seen inside the table ends the table after the current row; the partial page is
// still written. Raises FileCreateError / FileWriteError naming the page (or an image page)
// that cannot be written.
void WriteIndexPage(const std::string& file_name, int first, int last);

// The opening lines (WritePageTop, page_frame.h) up to and including the header block; the
// navigation block appears only when the page of item first has a neighbouring index page.
// The page ends with WritePageFoot (page_frame.h).
void WritePageHead(PageLines& lines, int first);

// The thumbnail table of items first..last, one WriteThumbRow per row of ThumbsPerRow
// items (row boundaries follow the global item index); stops after a row when
// CancelRequested().
void WriteThumbTable(PageLines& lines, int first, int last);

// One table row of thumbnails for items row_first..row_last, enclosed in the anchor
// "row<row>", then the details row when any of ShowFileName/ShowFileTime/ShowFileSize is on.
// Steps the progress once per item and stops the thumbnails at a cancel; the details row is
// still written for the whole row.
void WriteThumbRow(PageLines& lines, int row_first, int row_last, int row);

// One thumbnail cell: the image thumb linked to target, with name as alternative and status
// text; with a thumb_2x the image also offers that twice-as-large thumbnail for screens of two
// device pixels per pixel (srcset). thumb, thumb_2x and target are paths; each is written
// relative to the album directory.
std::string ThumbCell(const std::string& thumb, const std::string& name, const std::string& target,
                      const std::string& thumb_2x = {});

// One details cell for the image at source: its (possibly shortened) name linked to target,
// then date and size, each as the Show* settings ask.
std::string DetailsCell(const std::string& source, const std::string& target,
                        const std::string& date, const std::string& size);

// What a thumbnail links to without image pages: item i's file (its name, beside the index
// page) where a browser shows it, else the preview made in its place (preview, a path), or
// the thumbnail when there is none.
std::string ShownTarget(int i, const std::string& preview);

}  // namespace fotoloom
