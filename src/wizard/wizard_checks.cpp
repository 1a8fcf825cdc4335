// The checks that run when a page is left forward.
#include "files/file_utils.h"
#include "platform/paths.h"
#include "platform/permissions.h"
#include "wizard/wizard.h"

namespace fotoloom {
namespace {

// An empty name or one of dots only would make "directory/name" the directory itself or one
// above it, and the numbered-files question would then offer to delete every file there.
bool UsableCatalogName(const std::string& name) {
  return IsSuggestedName(name) && name.find_first_not_of('.') != std::string::npos;
}

}  // namespace

bool Wizard::ValidatePage(int page) {
  bool result = true;
  if (page == 1) {
    const std::string name = model_.editAlbumFileName.text();
    const std::string directory = model_.editAlbumDirectory.text();
    if (!UsableCatalogName(name)) {
      ui_.ShowWarning(kFileNameWarning);
      result = false;
    } else {
      const std::string path = directory + kPathSeparator + name;
      if (FileExists(path)) {
        if (ui_.AskQuestion(kOverwriteQuestion)) {
          RemoveFile(path);
        } else {
          result = false;
        }
      } else if (SimilarFilesExist(path)) {
        if (ui_.AskQuestion(kNumberedFilesQuestion)) DeleteSimilarFiles(path);
      }
    }
    if (!DirectoryExists(directory) || !IsDirectoryWritable(directory)) {
      ui_.ShowWarning(kDirectoryWarning);
      result = false;
    }
  } else if (page == 6) {
    const std::string& image = model_.editBgImage.text();
    if (!image.empty() && !FileExists(image)) {
      ui_.ShowWarning(kBgImageWarning);
      result = false;
    }
    const std::string& sound = model_.editBgSound.text();
    if (!sound.empty() && !FileExists(sound)) {
      ui_.ShowWarning(kBgSoundWarning);
      result = false;
    }
    if (!advanced_->ValidateAdvanced()) result = false;
  }
  return result;
}

}  // namespace fotoloom
