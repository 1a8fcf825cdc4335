// The run over a folder tree (IncludeSubfolders): the image directory and its sub-folders, each
// a catalog of its own, made as a one-folder run would make it there, and linked both ways.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fotoloom {

// The deepest sub-folder a tree takes, counted from the image directory (depth 0).
inline constexpr int kMaxTreeDepth = 16;

struct TreeFolder {
  std::string path;           // full path, ending with "/"
  std::string relative;       // from the top folder, "2025/Lisbon"; "" for the top folder itself
  std::string name;           // the folder's own name as it is on disk
  int parent = -1;            // index in the tree; -1 for the top folder
  std::vector<int> children;  // indices, in name order
  std::int64_t photos = 0;    // supported images directly in it
};

// The folders of the tree below top (which ends with "/"), a parent before its children and
// children in name order (byte order), down to kMaxTreeDepth. Left out: the folders named
// data_name (each level's data folder), hidden folders (a leading "."), links, folders that
// cannot be read or entered (with a warning each in warnings), and folders holding no
// supported image and no folder that is taken (extended: counting the formats ExtendedFormats
// adds). Empty when top itself is left out so.
std::vector<TreeFolder> ListAlbumTree(const std::string& top, const std::string& data_name,
                                      bool extended, std::vector<std::string>& warnings);

// The warning for a folder of the tree the run cannot read.
std::string UnreadableFolderWarning(const std::string& path);

// Makes the catalog of every folder of the tree below Album().AlbumDirectory, which the run
// (album.h) has already made absolute, locked (top_lock_held: by this run alone) and current;
// Album().ThumbDirectory is the top folder's data directory, data_name its bare name.
//
// The setting paths are resolved against the top folder, so every folder shows the same
// background and fallback thumbnail. Every folder's checks run before anything is deleted
// anywhere, then every sub-folder's lock is taken (a busy one ends the run with its
// AlbumBusyWarning, nothing deleted) and every data directory prepared. The folders are then
// written children first, so that a parent's first index page can show each sub-album's cell
// (its cover: the first photo's thumbnail, or its first sub-album's cover), and every page of
// a sub-album links up to its parent's first index page. One progress range counts every photo
// of the tree; messages name the folder they arose in; a cancel stops after the current folder's
// current step. Afterwards Album() holds the top folder's values as a one-folder run leaves them.
// Returns the top folder's first index page (relative to it), "" when it was not written.
std::string GenerateAlbumTree(const std::string& data_name, bool top_lock_held);

}  // namespace fotoloom
