// A whole run as one comparable value: every file it leaves below the album with its bytes,
// the progress texts, the PNG warnings, the messages and the error that ended it. Runs that
// must give the same catalog (any number of thumbnail workers, with or without the thumbnail
// cache) compare their outcomes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "catalog_fixture.h"
#include "generation/album.h"
#include "imaging/reader_warnings.h"

namespace fotoloom::testing {

inline std::string TestData(const std::string& relative) {
  return std::string(FOTOLOOM_TESTDATA_DIR) + "/" + relative;
}

class RunOutcomeTest : public CatalogTest {
 protected:
  struct Outcome {
    std::map<std::string, std::string> files;  // every file below the album, with its bytes
    std::vector<std::string> labels;
    std::vector<std::string> png_warnings;
    std::string messages;
    std::string error;

    bool operator==(const Outcome&) const = default;
  };

  // A fresh run over the album: the data folder and the index pages are removed first.
  Outcome Run(int workers) {
    const AlbumSettings settings = Album();
    fs::remove_all(data());
    for (const std::string& name : Listing(album_))
      if (fs::path(name).extension() == ".html") fs::remove(album_ / name);
    progress_.labels.clear();
    Album().ThumbnailWorkers = workers;
    Outcome outcome;
    const ReaderWarningHandler previous = SetReaderWarningHandler(
        [&](const std::string& message) { outcome.png_warnings.push_back(message); });
    try {
      generate();
    } catch (const std::exception& e) {
      outcome.error = e.what();
    }
    SetReaderWarningHandler(previous);
    Album() = settings;
    outcome.labels = progress_.labels;
    outcome.messages = GetMessages();
    for (const auto& entry : fs::recursive_directory_iterator(album_))
      if (entry.is_regular_file() && !entry.is_symlink())
        outcome.files[entry.path()] = Read(entry.path());
    return outcome;
  }

  // 13 pictures of every kind a run meets, 3 index pages, image pages on: photos of the three
  // formats, three EXIF orientations, a PNG that warns and decodes, one that warns and fails,
  // pictures that give no thumbnail, and a stand-in that warns.
  void MixedAlbum() {
    Image("a.jpg", 64, 48);
    Image("b.png", 40, 30);
    Image("c.bmp", 30, 20);
    for (const char* name : {"Landscape_3.jpg", "Landscape_6.jpg", "Portrait_8.jpg"})
      fs::copy_file(TestData(std::string("jpeg/exif-orientation/") + name), album_ / name);
    const std::string crashers = TestData("pngsuite/libpng-crashers/");
    fs::copy_file(crashers + "empty_ancillary_chunks.png", album_ / "warns.png");
    fs::copy_file(crashers + "huge_bKGD_chunk.png", album_ / "warns and fails.png");
    fs::copy_file(crashers + "empty_ancillary_chunks.png", root_ / "spare.png");
    File("corrupt.jpg", std::string("\xFF\xD8\xFF\xE0 not image data", 20));
    File("empty.jpg", "");
    File("cut.png", Read(album_ / "b.png").substr(0, 60));
    fs::copy_file(TestData("bmpsuite/b/badbitcount.bmp"), album_ / "unsupported.bmp");
    Image("flat.png", 1000, 10);  // 100 x 1
    Album().EmptyThumbnail = (root_ / "spare.png").string();
    Album().GenerateHTMLImages = true;
    Album().ThumbsPerRow = 3;
    Album().ThumbRowsPerFile = 2;
  }
};

}  // namespace fotoloom::testing
