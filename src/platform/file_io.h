// Whole-file reads, and the one way the program writes a file.
//
// Every file the program writes goes through OutputFile. The bytes go to a fresh temporary
// file beside the target (created with O_CREAT | O_EXCL, so no existing file or link is ever
// opened), and Close() renames it over the target. A link or a hard link at the target is
// therefore replaced, never written through, and a write that fails, or never reaches Close(),
// leaves the previous file whole and no temporary file behind. A regular file at the target
// hands its permission bits on to the new one; a new file gets 0666 less the umask. Every
// failure raises an error naming the target (see file_errors.h).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace fotoloom {

// Reads the whole regular file at path into *data; false when it cannot be opened or read,
// or is not a regular file (a FIFO or device is never waited on).
bool ReadWholeFile(const std::string& path, std::string* data);

// ReadWholeFile, but at most max_bytes of the file: *more tells whether it holds more than that.
bool ReadFileStart(const std::string& path, std::size_t max_bytes, std::string* data, bool* more);

// True when path opens for reading as a regular file (after following links); nothing is read.
bool IsReadableFile(const std::string& path);

// Reads the regular file at path to its end and forgets what it read: a file that is to be
// copied later is known to copy. Raises FileOpenError(path) when it cannot be opened as a
// regular file (a FIFO or device is never waited on), FileReadError(path) on a read error.
void RequireReadableToTheEnd(const std::string& path);

// Prefix of the temporary files beside a target: the writer names each kTemporaryFilePrefix
// and 8 letters or digits. A process that dies between creating one and its rename (SIGKILL, a
// crash) leaves a hidden file of this name; SIGTERM and SIGHUP need not, see below.
inline constexpr char kTemporaryFilePrefix[] = ".fotoloom-";

// True for a name the writer gives its temporary files (the exact pattern above).
bool IsTemporaryFileName(std::string_view name);

// Removes the regular files (links are left) of directory whose names pass IsTemporaryFileName.
// Only for a folder no other writer of the program uses meanwhile (a run holding the album's
// lock); their temporary files would go as well.
void RemoveTemporaryFiles(const std::string& directory);

// True when a new file can be created in directory: a temporary file of a fresh name (never an
// existing one, whatever lies in the folder) is created and removed at once.
bool CanCreateFileIn(const std::string& directory);

// On SIGTERM and SIGHUP the temporary files being written at that moment are removed, and the
// signal then ends the process as it would have (its usual status). Signals that were ignored
// when this is called stay ignored. Call once at start-up.
void RemoveTemporaryFilesOnTermination();

// Removes the temporary files being written at this moment, by any thread. Async-signal-safe:
// for a signal handler that is about to end the process.
void RemoveLiveTemporaryFiles() noexcept;

struct WriteOptions {
  // Flush the file and its folder to the disk. For files that are the user's own (settings, a
  // restored background), not for outputs a run can make again.
  bool sync = false;
  // A regular file already at the target hands its owner and group on to the new file, where
  // the system allows. (Its permission bits always carry over.)
  bool keep_owner = false;
  // When no temporary file can be made beside a regular file already at the target (its
  // folder is not writable), or its owner could not be kept, the file is rewritten in place
  // instead, keeping its owner and mode. Not atomic: only for the settings file.
  bool in_place_fallback = false;
  // The finished file's permission bits, whatever a file at the target had (the temporary file
  // is never more open than they are); 0: the rule above.
  std::uint32_t mode = 0;
};

class OutputFile {
 public:
  // Raises FileCreateError(path) when path is something other than a file or a link (a
  // directory, a device, a FIFO), is a read-only file (owner write bit clear), or when no
  // temporary file can be made beside it (and, with in_place_fallback, path cannot be opened
  // for writing either).
  explicit OutputFile(const std::string& path, WriteOptions options = {});
  // The same for the file name in the folder open as directory_fd, which must stay open while
  // this lives: every step is taken relative to it, so nothing on the way to the folder can
  // lead the file elsewhere. Errors name shown_path.
  OutputFile(int directory_fd, const std::string& name, const std::string& shown_path,
             WriteOptions options = {});
  // Without a successful Close() the temporary file is removed and path stays as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Raises FileWriteError(path) when not every byte was stored (disk full, file size limit).
  void Write(std::string_view data);
  void Write(const void* data, std::size_t size);
  // The permission bits and modification time the finished file gets (a copy's).
  void SetFinalAttributes(std::uint32_t permissions, std::time_t modification_time);
  // Puts the written file in place of path (a second call does nothing). Raises
  // FileCreateError(path) when path is a directory, FileWriteError(path) for every other
  // failure; path is then unchanged.
  void Close();
  const std::string& path() const { return path_; }

 private:
  void Open();
  void OpenInPlace();

  std::string path_;       // shown in errors
  int directory_fd_;       // AT_FDCWD, or the folder name_ and temporary_ are relative to
  std::string name_;       // the target
  std::string directory_;  // where the temporary file goes, relative like name_
  WriteOptions options_;
  std::string temporary_;  // empty once renamed, and when writing in place
  int live_slot_ = -1;     // where a signal handler finds temporary_, -1: not there
  int fd_ = -1;
  bool in_place_ = false;
  bool closed_ = false;
  off_t written_ = 0;
  bool final_attributes_ = false;
  std::uint32_t final_permissions_ = 0;
  std::time_t final_time_ = 0;
};

// Writes data as the whole new content of path through an OutputFile.
void WriteWholeFile(const std::string& path, std::string_view data, WriteOptions options = {});
// The same for name in the folder open as directory_fd (see OutputFile).
void WriteWholeFile(int directory_fd, const std::string& name, const std::string& shown_path,
                    std::string_view data, WriteOptions options = {});

}  // namespace fotoloom
