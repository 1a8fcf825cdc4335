#include "imaging/jpeg_graphic.h"

// libjpeg's header needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_scans.h"
#include "platform/file_errors.h"
#include "platform/file_io.h"

namespace fotoloom {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Fatal libjpeg errors jump back to the frame that called setjmp; no C++ frame with pending
// destructors lies between it and the library. The message is kept for the exception.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
  std::exception_ptr pending;  // an exception caught inside a callback, raised after the jump
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  // Level -1 is a warning about damaged data: counted, decoding goes on. Trace messages
  // (level >= 0) are ignored.
  if (level < 0) ++reinterpret_cast<ErrorManager*>(cinfo->err)->warnings;
}

void OutputMessage(j_common_ptr) {}

// Scans of a file beyond this many are refused. Each scan passes over the whole image, so a
// small file of empty scans could keep the decoder busy for hours; photos have about ten.
constexpr int kMaxScans = 500;

// The work a file's scans may ask for, in passes over all of its blocks (a baseline file
// makes one). A progressive photo makes about five (the most among the test images is 6.2).
// An empty scan costs about a tenth of a baseline decode, so a file can ask for a few
// baseline decodes at most.
constexpr std::uint64_t kMaxScanPasses = 32;

// libjpeg's progress hook, called while the scans are read: ends the decode like a fatal error.
void LimitScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxScans) return;
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "JPEG file has more than %d scans", kMaxScans);
  std::longjmp(err->jump, 1);
}

void InitErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  err.message[0] = '\0';
  err.warnings = 0;
}

// ---- source manager over an std::istream ----

struct StreamSource {
  jpeg_source_mgr pub;
  std::istream* stream;
  bool startOfFile;
  JOCTET buffer[kBufferSize];
};

void InitSource(j_decompress_ptr cinfo) {
  reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  std::size_t n = ReadSome(*src->stream, src->buffer, kBufferSize);
  if (n == 0) {
    // A read error is not the end of the file: decoding the rest as missing would make a
    // thumbnail of half a photo.
    if (ReadFailed(*src->stream)) ERREXIT(cinfo, JERR_FILE_READ);
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    // A fake end-of-image marker lets libjpeg finish a truncated file as far as it can.
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    n = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  src->startOfFile = false;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    (*src->fill_input_buffer)(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// ---- EXIF block ----

// The first APP1 segment that holds EXIF data, kept while the header is read. libjpeg's own
// marker saving would keep every APP1 segment, and a file may hold any number of them.
struct ExifBlock {
  bool found = false;
  std::size_t length = 0;
  JOCTET data[0xFFFF - 2];
};

// Copies count bytes of the segment being read; the source never suspends.
void ReadSegmentBytes(j_decompress_ptr cinfo, JOCTET* out, std::size_t count) {
  jpeg_source_mgr* src = cinfo->src;
  while (count > 0) {
    if (src->bytes_in_buffer == 0) (*src->fill_input_buffer)(cinfo);
    const std::size_t n = std::min(count, src->bytes_in_buffer);
    std::memcpy(out, src->next_input_byte, n);
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
    out += n;
    count -= n;
  }
}

// libjpeg's marker processor for APP1: keeps the first EXIF segment, skips all others.
boolean ReadApp1(j_decompress_ptr cinfo) {
  auto* exif = static_cast<ExifBlock*>(cinfo->client_data);
  JOCTET length[2];
  ReadSegmentBytes(cinfo, length, 2);
  const long size = ((length[0] << 8) | length[1]) - 2;  // a bogus length gives no data
  constexpr long kHeader = 6;                            // "Exif" and two zero bytes
  long skip = size;
  if (!exif->found && size >= kHeader) {
    ReadSegmentBytes(cinfo, exif->data, kHeader);
    skip -= kHeader;
    if (std::memcmp(exif->data, "Exif\0\0", kHeader) == 0) {
      ReadSegmentBytes(cinfo, exif->data + kHeader, static_cast<std::size_t>(skip));
      exif->found = true;
      exif->length = static_cast<std::size_t>(size);
      skip = 0;
    }
  }
  if (skip > 0) (*cinfo->src->skip_input_data)(cinfo, skip);
  return TRUE;
}

// A component's blocks, rounded up to whole units of its sampling factors: what libjpeg keeps
// of it and what each of its scans visits.
std::uint64_t PaddedBlocks(const jpeg_component_info& c) {
  auto roundUp = [](std::uint64_t n, std::uint64_t unit) { return (n + unit - 1) / unit * unit; };
  return roundUp(c.width_in_blocks, static_cast<std::uint64_t>(c.h_samp_factor)) *
         roundUp(c.height_in_blocks, static_cast<std::uint64_t>(c.v_samp_factor));
}

std::uint64_t AllBlocks(j_decompress_ptr cinfo) {
  std::uint64_t blocks = 0;
  for (int i = 0; i < cinfo->num_components; ++i) blocks += PaddedBlocks(cinfo->comp_info[i]);
  return blocks;
}

// Bytes of the coefficient buffer libjpeg keeps for the whole image when the file's scans
// cannot be decoded one row of blocks at a time (progressive or multi-scan files): one block
// of 64 two-byte coefficients per 8 x 8 samples of every component, each component's blocks
// rounded up to whole units of its sampling factors. It is allocated by
// jpeg_start_decompress, so it must be counted before. Other decoders need no whole-image
// buffer.
std::uint64_t CoefficientBytes(j_decompress_ptr cinfo) {
  if (!jpeg_has_multiple_scans(cinfo) && !cinfo->buffered_image) return 0;
  return AllBlocks(cinfo) * sizeof(JBLOCK);
}

// The bytes after those libjpeg has read so far: what is left in its buffer, then the rest of
// the stream. The stream is put back where libjpeg left it when this ends.
class LookAhead {
 public:
  LookAhead(const jpeg_source_mgr& src, std::istream& stream)
      : next_(src.next_input_byte), left_(src.bytes_in_buffer), stream_(stream) {
    try {
      // A small file is all in libjpeg's buffer already, its stream at the end.
      if (!stream.bad()) stream.clear();
      resume_ = stream.tellg();
    } catch (...) {
      resume_ = -1;
    }
  }
  ~LookAhead() {
    if (!usable() || stream_.bad()) return;
    try {
      stream_.clear();
      stream_.seekg(resume_);
    } catch (...) {
    }
  }
  LookAhead(const LookAhead&) = delete;
  LookAhead& operator=(const LookAhead&) = delete;

  // False for a stream that cannot be put back (no position to return to).
  bool usable() const { return resume_ != std::streampos(-1); }

  std::size_t Read(std::uint8_t* out, std::size_t size) {
    if (left_ > 0) {
      const std::size_t n = std::min(size, left_);
      std::memcpy(out, next_, n);
      next_ += n;
      left_ -= n;
      return n;
    }
    return ReadSome(stream_, out, size);
  }

 private:
  const JOCTET* next_;
  std::size_t left_;
  std::istream& stream_;
  std::streampos resume_;
};

// Refuses a file whose scans would ask for more than kMaxScans scans or kMaxScanPasses passes
// over its blocks, from their headers, before any is decoded. REQUIRES: the header is read.
void CheckScanWork(j_decompress_ptr cinfo, std::istream& stream) {
  if (!jpeg_has_multiple_scans(cinfo)) return;  // libjpeg refuses a second scan then
  LookAhead ahead(*cinfo->src, stream);
  if (!ahead.usable()) return;  // the scan limit still holds while the scans are read
  std::array<std::uint64_t, 256> blocks_of{};
  for (int i = 0; i < cinfo->num_components; ++i)
    blocks_of[static_cast<std::size_t>(cinfo->comp_info[i].component_id & 0xFF)] =
        PaddedBlocks(cinfo->comp_info[i]);
  std::uint64_t first = 0;
  for (int i = 0; i < cinfo->comps_in_scan; ++i) first += PaddedBlocks(*cinfo->cur_comp_info[i]);
  const std::uint64_t allowed = kMaxScanPasses * AllBlocks(cinfo);
  const TLaterScans later = CountLaterScans(
      [&](std::uint8_t* buffer, std::size_t size) { return ahead.Read(buffer, size); }, blocks_of,
      kMaxScans - 1);
  // A read error is the disk's, not the file's: the caller raises it as one.
  if (ReadFailed(stream)) throw EJpegError("Input file read error");
  if (1 + later.count > kMaxScans) {
    throw EJpegError("JPEG file has more than " + std::to_string(kMaxScans) + " scans");
  }
  if (first + later.blocks > allowed) {
    throw EJpegError("JPEG file's scans pass over its blocks more than " +
                     std::to_string(kMaxScanPasses) + " times");
  }
}

// ---- destination manager over a byte sink ----

class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
};

class OstreamSink : public Sink {
 public:
  explicit OstreamSink(std::ostream& out) : out_(out) {}
  void Write(const std::uint8_t* data, std::size_t size) override {
    out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out_) throw EJpegError("Output file write error --- out of disk space?");
  }

 private:
  std::ostream& out_;
};

class FileSink : public Sink {
 public:
  explicit FileSink(OutputFile& file) : file_(file) {}
  void Write(const std::uint8_t* data, std::size_t size) override { file_.Write(data, size); }

 private:
  OutputFile& file_;
};

struct SinkDestination {
  jpeg_destination_mgr pub;
  Sink* sink;
  JOCTET buffer[kBufferSize];
};

// Hands a block to the sink; a failure there is kept and turned into a libjpeg error, so the
// exception never unwinds through the library.
void Flush(j_compress_ptr cinfo, std::size_t size) {
  auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  bool failed = false;
  try {
    dest->sink->Write(dest->buffer, size);
  } catch (...) {
    err->pending = std::current_exception();
    failed = true;
  }
  if (failed) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  Flush(cinfo, kBufferSize);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
  const std::size_t used = kBufferSize - dest->pub.free_in_buffer;
  if (used > 0) Flush(cinfo, used);
}

struct DecompressGuard {
  jpeg_decompress_struct* cinfo;
  ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

struct CompressGuard {
  jpeg_compress_struct* cinfo;
  ~CompressGuard() { jpeg_destroy_compress(cinfo); }
};

[[noreturn]] void RaiseJpegError(ErrorManager& err) {
  if (err.pending) std::rethrow_exception(err.pending);
  // Memory running out is no fault of the file.
  if (err.pub.msg_code == JERR_OUT_OF_MEMORY) throw std::bad_alloc();
  throw EJpegError(err.message);
}

int DensityToDpi(int unit, int density) {
  if (unit == 1) return density;
  if (unit == 2) return static_cast<int>(std::nearbyint(density * 2.54));
  return 0;
}

void Encode(const TDibGraphic& image, int quality, bool progressive, bool optimizeHuffman,
            Sink& sink) {
  const TImageFormat format = image.Format();
  if (image.Empty() || (format != ifGray256 && format != ifColor16M)) {
    throw EJpegError("JPEG image must be gray scale or true color");
  }
  const int components = format == ifGray256 ? 1 : 3;
  const int width = image.Width();
  const int height = image.Height();
#ifdef JCS_EXTENSIONS
  // libjpeg-turbo reads the stored blue, green, red order itself, with the same result.
  const bool swap = false;
  const J_COLOR_SPACE trueColour = JCS_EXT_BGR;
#else
  const bool swap = components == 3;
  const J_COLOR_SPACE trueColour = JCS_RGB;
#endif
  std::vector<JSAMPLE> rowBuffer(swap ? static_cast<std::size_t>(components) * width : 0);
  auto dest = std::make_unique<SinkDestination>();
  dest->sink = &sink;
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;

  jpeg_compress_struct cinfo{};
  ErrorManager err;
  InitErrorManager(err);
  cinfo.err = &err.pub;
  jpeg_create_compress(&cinfo);
  CompressGuard guard{&cinfo};
  if (setjmp(err.jump)) RaiseJpegError(err);

  cinfo.dest = &dest->pub;
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : trueColour;
  jpeg_set_defaults(&cinfo);
  cinfo.density_unit = 1;
  // The JFIF fields hold 16 bits; a larger resolution is written as the largest one.
  cinfo.X_density = static_cast<UINT16>(std::clamp(image.XDpi(), 0, 65535));
  cinfo.Y_density = static_cast<UINT16>(std::clamp(image.YDpi(), 0, 65535));
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  cinfo.optimize_coding = optimizeHuffman ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  JSAMPROW row = rowBuffer.data();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = image.Row(y);
    if (!swap) {
      // libjpeg only reads the rows it is given.
      JSAMPROW stored = const_cast<JSAMPROW>(in);
      jpeg_write_scanlines(&cinfo, &stored, 1);
      continue;
    }
    if (components == 3) {
      for (int x = 0; x < width; ++x) {
        row[3 * x] = in[3 * x + 2];
        row[3 * x + 1] = in[3 * x + 1];
        row[3 * x + 2] = in[3 * x];
      }
    } else {
      std::memcpy(row, in, static_cast<std::size_t>(width));
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
}

}  // namespace

void TJpegGraphic::SetQuality(int quality) {
  quality_ = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
}

void TJpegGraphic::LoadFromStream(std::istream& stream, const THeaderHandler& onHeader,
                                  TRowSink* rowSink) {
  Clear();
  SetOrientation(1);
  warningCount_ = 0;
  auto source = std::make_unique<StreamSource>();
  source->stream = &stream;
  source->pub.init_source = InitSource;
  source->pub.fill_input_buffer = FillInputBuffer;
  source->pub.skip_input_data = SkipInputData;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = TermSource;
  source->pub.bytes_in_buffer = 0;
  source->pub.next_input_byte = nullptr;
  auto exif = std::make_unique<ExifBlock>();
  std::vector<JSAMPROW> rows;
  // A gray image's colours for a row sink; made here, out of the error jump's reach.
  const TPalette grayLevels = rowSink != nullptr ? DefaultPalette(ifGray256) : TPalette{};

  jpeg_decompress_struct cinfo{};
  ErrorManager err;
  InitErrorManager(err);
  cinfo.err = &err.pub;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  jpeg_create_decompress(&cinfo);
  DecompressGuard guard{&cinfo};
  if (setjmp(err.jump)) {
    warningCount_ = err.warnings;
    RaiseJpegError(err);
  }

  cinfo.src = &source->pub;
  cinfo.progress = &progress;
  cinfo.client_data = exif.get();
  jpeg_set_marker_processor(&cinfo, JPEG_APP0 + 1, ReadApp1);
  jpeg_read_header(&cinfo, TRUE);
  if (exif->found) SetOrientation(ExifOrientationFromApp1(exif->data, exif->length));
  const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
#ifdef JCS_EXTENSIONS
  // libjpeg-turbo converts straight to the stored blue, green, red order.
  cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  const bool swap = false;
#else
  cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  const bool swap = !gray;
#endif
  jpeg_calc_output_dimensions(&cinfo);
  bool streamed = false;
  if (cinfo.out_color_components == 1 || cinfo.out_color_components == 3) {
    // The image is made before decompression starts, so an oversized one is refused before
    // libjpeg allocates its own buffers for it; they count against the bound too.
    const TImageHeader header{static_cast<int>(cinfo.output_width),
                              static_cast<int>(cinfo.output_height),
                              8 * cinfo.out_color_components,
                              CoefficientBytes(&cinfo),
                              Orientation(),
                              !swap};
    CheckScanWork(&cinfo, stream);
    AcceptImageHeader(header, onHeader);
    const TImageFormat format = cinfo.out_color_components == 1 ? ifGray256 : ifColor16M;
    const int xdpi = DensityToDpi(cinfo.density_unit, cinfo.X_density);
    const int ydpi = DensityToDpi(cinfo.density_unit, cinfo.Y_density);
    if (rowSink != nullptr && header.rowsInOrder) {
      streamed =
          rowSink->Start({header.width, header.height, format,
                          format == ifGray256 ? &grayLevels : nullptr, xdpi, ydpi, Orientation()});
    }
    if (!streamed) NewImage(header.width, header.height, format, nullptr, xdpi, ydpi);
  }
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 1 && cinfo.output_components != 3) {
    throw EJpegError("Invalid number of samples, " + std::to_string(cinfo.output_components));
  }
  if (streamed) {
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = rowSink->NextRow();
      if (jpeg_read_scanlines(&cinfo, &row, 1) == 0) throw EJpegError("JPEG data ended early");
      rowSink->RowDone();
    }
  } else {
    const int height = Height();
    rows.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = Row(y);
    while (cinfo.output_scanline < cinfo.output_height) {
      const JDIMENSION done = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, rows.data() + done, cinfo.output_height - done) == 0) {
        throw EJpegError("JPEG data ended early");
      }
    }
    if (swap) {
      for (int y = 0; y < height; ++y) {
        std::uint8_t* p = Row(y);
        for (int x = 0; x < Width(); ++x, p += 3) std::swap(p[0], p[2]);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  warningCount_ = err.warnings;
}

void TJpegGraphic::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                  const THeaderHandler& onHeader, TRowSink* rows) {
  MemoryStreamBuf buffer(data, size);
  std::istream stream(&buffer);
  LoadFromStream(stream, onHeader, rows);
}

void TJpegGraphic::LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader,
                                TRowSink* rows) {
  ReadFromFile(fileName, [&](std::istream& stream) { LoadFromStream(stream, onHeader, rows); });
}

void TJpegGraphic::SaveToStream(std::ostream& stream) const {
  OstreamSink sink(stream);
  Encode(*this, quality_, progressive_, optimizeHuffman_, sink);
}

void TJpegGraphic::SaveToFile(const std::string& fileName) const {
  OutputFile file(fileName);
  FileSink sink(file);
  Encode(*this, quality_, progressive_, optimizeHuffman_, sink);
  file.Close();
}

}  // namespace fotoloom
