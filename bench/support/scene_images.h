// Photo-sized test images made from a synthetic scene, written row by row so that making
// them never holds a whole image in memory.
#pragma once

#include <string>

namespace bench {

// A smooth scene (sky, sun, hills, a textured field) with pixel noise; seed varies it.
// Both raise std::runtime_error when the file cannot be written. An orientation other than
// 1 is stored as an EXIF orientation tag (the pixels stay as made).
void WriteSceneJpeg(const std::string& path, int width, int height, int quality, unsigned seed,
                    int orientation = 1);
void WriteScenePng(const std::string& path, int width, int height, unsigned seed);

}  // namespace bench
