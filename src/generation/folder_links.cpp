#include "generation/folder_links.h"

namespace fotoloom {

FolderLinks& CurrentFolderLinks() {
  static FolderLinks links;
  return links;
}

std::string PhotoCountText(long long photos) {
  return std::to_string(photos) + (photos == 1 ? " photo" : " photos");
}

}  // namespace fotoloom
