// The steps of a run that concern one folder, shared by the one-folder run (album.h) and the
// run over a folder tree (album_tree.h). Everything reads the process-wide Album() settings.
#pragma once

#include <cstdint>
#include <string>

namespace fotoloom {

inline constexpr char kSetCurrentDirFailed[] = "Error in: generate.setcurrentdir (src_directory) ";
inline constexpr char kNoImages[] = "Selected directory does not contain supported image files !";

// The supported images directly in album_directory, as the listing finds them (extended: with
// the formats ExtendedFormats adds).
std::int64_t CountImages(const std::string& album_directory, bool extended);

// Refuses a background file the copy step would fail on, with the error the copy would raise.
void RequireReadableBackgrounds();

// Everything a run can know about the folder album_directory before it deletes anything, with
// the errors album.h lists: its "imgdesc.dat", with_backgrounds the background files, and its
// index page names. REQUIRES: the setting paths are resolved.
void CheckFolderBeforeDeleting(const std::string& album_directory, bool with_backgrounds);

// Creates the data directory when missing, marks a new or empty one, and raises
// FileCreateError when it cannot hold the outputs.
void PrepareDataDirectory(const std::string& data_directory);

// The name of the first index page of a folder of that many photos.
std::string FirstIndexPageName(std::int64_t photos);

struct FolderOutcome {
  std::string first_page;  // relative to the folder; "" when the folder got no page
  std::string cover;       // full path of the first photo's thumbnail; "" without photos
  int photos = 0;
};

// The deleting and writing of the folder whose paths Album() holds, once every check has
// passed: the catalog files the answers allowed, the temporary files a killed run left (only
// when lock_held), the cleaning, the modern style's files (with the colour notes when notes),
// the background copies, the item list and the pages. The item list is left read.
// REQUIRES: the folder is current, its data directory prepared.
FolderOutcome WriteFolderCatalog(bool lock_held, bool notes);

}  // namespace fotoloom
