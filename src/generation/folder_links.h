// The links between the catalogs of a folder tree (album_tree.h): what the index pages of the
// folder being written show besides its own photos. Outside a tree run both are empty, and the
// pages are those of a one-folder run.
#pragma once

#include <string>
#include <vector>

namespace fotoloom {

// One sub-album as its parent's first index page shows it.
struct SubAlbumCell {
  std::string name;        // the folder's name as it is on disk (not yet escaped)
  std::string first_page;  // full path of its first index page
  std::string cover;       // full path of its cover thumbnail; "" when it has none
  long long photos = 0;    // photos in it and every sub-album below it
};

struct FolderLinks {
  std::string up;  // full path of the parent's first index page; "" for the top folder
  std::vector<SubAlbumCell> sub_albums;  // shown before the photos, in this order
};

// The links of the folder being written; the tree run sets them before each folder.
FolderLinks& CurrentFolderLinks();

// "1 photo", "12 photos".
std::string PhotoCountText(long long photos);

}  // namespace fotoloom
