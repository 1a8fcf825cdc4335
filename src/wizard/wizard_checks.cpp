// The checks that run when a page is left forward.
#include <algorithm>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "generation/album_tree.h"
#include "platform/paths.h"
#include "platform/permissions.h"
#include "wizard/wizard.h"

namespace fotoloom {
namespace {

// A name whose stem is empty or dots only would make "directory/name" the directory itself or
// one above it, or give numbered pages named by their number alone ("001.html").
bool UsableCatalogName(const std::string& name) {
  return IsSuggestedName(name) && StripFileExt(name).find_first_not_of('.') != std::string::npos;
}

}  // namespace

std::vector<std::string> Wizard::CatalogFolders(const std::string& directory) const {
  // An empty field would otherwise walk the whole file system from its root.
  if (!model_.chkboxIncludeSubfolders.checked() || directory.empty() || !DirectoryExists(directory))
    return {directory + kPathSeparator};
  // The run makes a catalog in every folder of the tree, and replaces the files of each.
  std::vector<std::string> folders, unreadable;
  const AdvancedValues& advanced = advanced_->kept();
  const bool extended = advanced.ExtendedFormats == CheckState::kChecked;
  for (const TreeFolder& folder : ListAlbumTree(WithTrailingSeparator(directory),
                                                advanced.ThumbDirectory, extended, unreadable))
    folders.push_back(folder.path);
  return folders;
}

bool Wizard::ValidatePage(int page) {
  bool result = true;
  if (page == 1) {
    // A stored name, a command-line start or a front end without a field's focus events would
    // otherwise reach the checks, and the run, with "photos" or "IMG.jpg" as the catalog file.
    model_.editAlbumFileName.SetText(NormalizeCatalogFileName(model_.editAlbumFileName.text()));
    const std::string name = model_.editAlbumFileName.text();
    const std::string directory = model_.editAlbumDirectory.text();
    delete_catalog_file_ = false;
    delete_numbered_files_ = false;
    if (!UsableCatalogName(name)) {
      ui_.ShowWarning(kFileNameWarning);
      result = false;
    } else {
      const std::vector<std::string> folders = CatalogFolders(directory);
      const auto any = [&](bool (*exists)(const std::string&)) {
        return std::any_of(folders.begin(), folders.end(),
                           [&](const std::string& folder) { return exists(folder + name); });
      };
      if (any([](const std::string& path) { return FileExists(path); })) {
        delete_catalog_file_ = ui_.AskQuestion(kOverwriteQuestion);
        if (!delete_catalog_file_) result = false;
      } else if (any([](const std::string& path) { return SimilarFilesExist(path); })) {
        delete_numbered_files_ = ui_.AskQuestion(kNumberedFilesQuestion);
      }
    }
    if (!DirectoryExists(directory) || !IsDirectoryWritable(directory)) {
      ui_.ShowWarning(kDirectoryWarning);
      result = false;
    }
  } else if (page == 6) {
    const std::string& image = model_.editBgImage.text();
    if (!image.empty() && !FileExists(AlbumPath(image))) {
      ui_.ShowWarning(kBgImageWarning);
      result = false;
    }
    const std::string& sound = model_.editBgSound.text();
    if (!sound.empty() && !FileExists(AlbumPath(sound))) {
      ui_.ShowWarning(kBgSoundWarning);
      result = false;
    }
    if (!advanced_->ValidateAdvanced()) result = false;
  }
  return result;
}

std::string Wizard::AlbumPath(const std::string& path) const {
  return ResolveAgainst(model_.editAlbumDirectory.text(), path);
}

}  // namespace fotoloom
