// The checks that run when a page is left forward.
#include "files/file_utils.h"
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
      const std::string path = directory + kPathSeparator + name;
      if (FileExists(path)) {
        delete_catalog_file_ = ui_.AskQuestion(kOverwriteQuestion);
        if (!delete_catalog_file_) result = false;
      } else if (SimilarFilesExist(path)) {
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
