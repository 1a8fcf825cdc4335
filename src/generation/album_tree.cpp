#include "generation/album_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/folder_links.h"
#include "generation/folder_run.h"
#include "generation/item_thumbnails.h"
#include "platform/file_lock.h"
#include "platform/paths.h"

namespace fotoloom {

namespace {

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The names of the folders directly in path that a tree takes, in byte order.
std::vector<std::string> SubfolderNames(const std::string& path, const std::string& data_name,
                                        std::vector<std::string>& warnings) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, CloseDir> dir(::opendir(path.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.' || name == data_name) continue;
    struct stat st {};
    // A link is never followed: it could lead out of the tree, or into a loop.
    if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
      continue;
    const std::string sub = path + name;
    if (::access(sub.c_str(), R_OK | X_OK) != 0) {
      warnings.push_back(UnreadableFolderWarning(sub));
      continue;
    }
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Adds folder and what it takes below it; returns its index, or -1 when it is left out.
int AddFolder(std::vector<TreeFolder>& tree, TreeFolder folder, int depth,
              const std::string& data_name, bool extended, std::vector<std::string>& warnings) {
  const int index = static_cast<int>(tree.size());
  folder.photos = CountImages(folder.path, extended);
  tree.push_back(folder);
  if (depth < kMaxTreeDepth) {
    for (const std::string& name : SubfolderNames(folder.path, data_name, warnings)) {
      TreeFolder child;
      child.path = folder.path + name + kPathSeparator;
      child.relative = folder.relative.empty() ? name : folder.relative + kPathSeparator + name;
      child.name = name;
      child.parent = index;
      const int added = AddFolder(tree, std::move(child), depth + 1, data_name, extended, warnings);
      if (added >= 0) tree[index].children.push_back(added);
    }
  }
  // Its children were left out too, so it is the last entry.
  if (tree[index].photos == 0 && tree[index].children.empty()) {
    tree.pop_back();
    return -1;
  }
  return index;
}

void AddPostOrder(const std::vector<TreeFolder>& tree, int k, std::vector<int>& order) {
  for (int child : tree[k].children) AddPostOrder(tree, child, order);
  order.push_back(k);
}

// What a written folder gives its parent's cell.
struct WrittenFolder {
  std::string first_page;  // full path; "" when none was written
  std::string cover;
  long long photos = 0;
};

// Whatever ends the tree run, the links and message folder of its last folder go, and the
// settings and current directory are the top folder's again.
class TreeRunScope {
 public:
  explicit TreeRunScope(const AlbumSettings& top) : top_(top) {}
  ~TreeRunScope() {
    CurrentFolderLinks() = FolderLinks{};
    SetMessageFolder("");
    AlbumSettings& album = Album();
    if (!top_written_) {
      const std::string first_page = album.FirstPage;
      album = top_;
      album.FirstPage = first_page;
    }
    SetCurrentDir(album.AlbumDirectory);
  }
  TreeRunScope(const TreeRunScope&) = delete;
  TreeRunScope& operator=(const TreeRunScope&) = delete;
  void TopWritten() { top_written_ = true; }

 private:
  const AlbumSettings top_;
  bool top_written_ = false;
};

}  // namespace

std::string UnreadableFolderWarning(const std::string& path) {
  return "Cannot read the folder " + path + ", it is left out.";
}

std::vector<TreeFolder> ListAlbumTree(const std::string& top, const std::string& data_name,
                                      bool extended, std::vector<std::string>& warnings) {
  std::vector<TreeFolder> tree;
  TreeFolder root;
  root.path = WithTrailingSeparator(top);
  root.name = ExtractFileName(root.path.substr(0, root.path.size() - 1));
  AddFolder(tree, std::move(root), 0, data_name, extended, warnings);
  return tree;
}

std::string GenerateAlbumTree(const std::string& data_name, bool top_lock_held) {
  AlbumSettings& album = Album();
  for (std::string* setting : {&album.BgImage, &album.BgSound, &album.EmptyThumbnail})
    *setting = ResolveAgainst(album.AlbumDirectory, *setting);
  std::vector<std::string> warnings;
  const std::vector<TreeFolder> tree =
      ListAlbumTree(album.AlbumDirectory, data_name, album.ExtendedFormats, warnings);
  for (const std::string& warning : warnings) AddMessage(warning);
  if (tree.empty()) {
    AddMessage(kNoImages);
    return {};
  }

  // A fault found in the deepest folder leaves every folder as it was.
  for (const TreeFolder& folder : tree) CheckFolderBeforeDeleting(folder.path, folder.parent < 0);
  std::vector<std::unique_ptr<FileLock>> locks(tree.size());
  for (std::size_t k = 1; k < tree.size(); ++k) {
    locks[k] = std::make_unique<FileLock>(AlbumLockPath(tree[k].path));
    if (locks[k]->state() == FileLock::State::kBusy) {
      AddMessage(AlbumBusyWarning(tree[k].path));
      return {};
    }
  }
  const auto data_directory = [&](const TreeFolder& folder) {
    return WithTrailingSeparator(folder.path + data_name);
  };
  for (const TreeFolder& folder : tree) PrepareDataDirectory(data_directory(folder));

  long long total = 0;
  for (const TreeFolder& folder : tree) total += folder.photos;
  const AlbumSettings base = album;
  TreeRunScope scope(base);
  const RunThumbnailResources thumbnail_resources;
  const WholeRunProgress progress(static_cast<int>(std::min<long long>(total, 0x7fffffff)));
  std::vector<int> order;
  AddPostOrder(tree, 0, order);
  std::vector<WrittenFolder> written(tree.size());
  std::string top_first_page;
  for (const int k : order) {
    const TreeFolder& folder = tree[k];
    album = base;
    album.AlbumDirectory = folder.path;
    album.ThumbDirectory = data_directory(folder);
    FolderLinks& links = CurrentFolderLinks();
    links = FolderLinks{};
    if (folder.parent >= 0) {
      const TreeFolder& parent = tree[folder.parent];
      links.up = parent.path + FirstIndexPageName(parent.photos);
    }
    WrittenFolder& result = written[k];
    result.photos = folder.photos;
    for (const int child : folder.children) {
      const WrittenFolder& sub = written[child];
      result.photos += sub.photos;
      if (sub.first_page.empty()) continue;
      links.sub_albums.push_back({tree[child].name, sub.first_page, sub.cover, sub.photos});
      if (result.cover.empty()) result.cover = sub.cover;
    }
    SetMessageFolder(folder.relative);
    if (!SetCurrentDir(folder.path)) {
      AddMessage(kSetCurrentDirFailed);
      continue;
    }
    const bool lock_held =
        folder.parent < 0 ? top_lock_held : locks[k]->state() == FileLock::State::kHeld;
    const FolderOutcome outcome = WriteFolderCatalog(lock_held, folder.parent < 0);
    if (!outcome.first_page.empty()) result.first_page = folder.path + outcome.first_page;
    // A photo whose thumbnail could not be made gives no cover; a sub-album's may.
    if (!outcome.cover.empty() && FileExists(outcome.cover)) result.cover = outcome.cover;
    ReleaseItems();
    if (folder.parent < 0) {
      top_first_page = outcome.first_page;
      scope.TopWritten();
    }
    if (CancelRequested()) break;
  }
  return top_first_page;
}

}  // namespace fotoloom
