// The thumbnail cache changes nothing but time: a run served from it leaves the catalog a run
// without it leaves; a changed photo, a damaged entry or an unusable folder is never served;
// trimming deletes only the least recently used entries.
#include "generation/thumbnail_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "generation/cache_entry.h"
#include "run_outcome.h"

namespace fotoloom::testing {
namespace {

// A file changed within the file system's current clock tick is not cached; the tests' files
// are made just before their runs.
void WaitForTheClock() { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

class ThumbnailCacheTest : public RunOutcomeTest {
 protected:
  fs::path cache() const { return root_ / "cache"; }

  std::vector<fs::path> Entries() const {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(cache(), ec))
      if (entry.path().extension() == ".thumb") entries.push_back(entry.path());
    return entries;
  }

  // The catalog of the album as it is now, made without the cache.
  Outcome Fresh(int workers = 1) {
    const std::string kept = Album().ThumbnailCache;
    Album().ThumbnailCache.clear();
    Outcome outcome = Run(workers);
    Album().ThumbnailCache = kept;
    return outcome;
  }
};

TEST_F(ThumbnailCacheTest, AWarmCacheGivesTheCatalogMadeWithoutIt) {
  MixedAlbum();
  WaitForTheClock();
  const Outcome without = Fresh(2);
  Album().ThumbnailCache = cache().string();
  for (const int workers : {2, 1, 2}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    EXPECT_TRUE(Run(workers) == without);
  }
  // The three formats and three orientations; not the pictures that warn or give none.
  EXPECT_EQ(Entries().size(), 6u);

  // Served from its entry: other bytes stored under a.jpg's key are what the run writes.
  const ThumbnailJob job{(album_ / "a.jpg").string(), 100, 100};
  const std::optional<std::string> key = ThumbnailCacheKey(job);
  ASSERT_TRUE(key);
  ThumbnailResult other;
  other.jpeg = "other bytes";
  std::ofstream(cache() / (CacheEntryName(*key) + ".thumb"), std::ios::binary)
      << EncodeCacheEntry(*key, CacheRecordsOf(other));
  EXPECT_EQ(Run(2).files[(data() / "a.jpg").string()], "other bytes");
}

TEST_F(ThumbnailCacheTest, APhotoReplacedWithTheSameSizeAndTimeIsMadeAgain) {
  // Caught by the change time when rewritten in place, by the inode too when renamed over.
  for (const bool renamed : {false, true}) {
    SCOPED_TRACE(renamed ? "renamed over" : "rewritten in place");
    fs::remove_all(album_);
    fs::remove_all(cache());
    fs::create_directory(album_);
    Image("a.jpg", 64, 48, 4000);
    Image("replacement.jpg", 48, 64, 4000, root_);
    WaitForTheClock();
    Album().ThumbnailCache = cache().string();
    const Outcome before = Run(1);
    ASSERT_EQ(Entries().size(), 1u);

    const fs::path photo = album_ / "a.jpg";
    if (renamed) {
      fs::copy_file(root_ / "replacement.jpg", album_ / "new.tmp");
      fs::rename(album_ / "new.tmp", photo);
    } else {
      std::ofstream(photo, std::ios::binary | std::ios::in) << Read(root_ / "replacement.jpg");
    }
    SetTime(photo.string());
    WaitForTheClock();
    const Outcome after = Run(1);
    EXPECT_TRUE(after == Fresh());
    EXPECT_NE(after.files.at((data() / "a.jpg").string()),
              before.files.at((data() / "a.jpg").string()));
  }
}

TEST_F(ThumbnailCacheTest, ADamagedEntryIsRebuilt) {
  Image("a.jpg", 64, 48);
  WaitForTheClock();
  const Outcome without = Fresh();
  Album().ThumbnailCache = cache().string();
  Run(1);
  ASSERT_EQ(Entries().size(), 1u);
  const fs::path entry = Entries().front();
  const std::string whole = Read(entry);

  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"truncated", whole.substr(0, whole.size() / 2)},
      {"one byte changed", std::string(whole).replace(whole.size() / 2, 1, 1, '\x5A')},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(c.bytes, whole);
    std::ofstream(entry, std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_TRUE(Run(1) == without);
    EXPECT_EQ(Read(entry), whole);
  }
}

TEST_F(ThumbnailCacheTest, AnUnusableCacheFolderStillGivesTheWholeCatalog) {
  MixedAlbum();
  WaitForTheClock();
  const Outcome without = Fresh(2);
  File("not a folder", "x", root_);
  fs::create_directory(root_ / "read-only");
  fs::permissions(root_ / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
  const struct {
    const char* what;
    fs::path folder;
  } cases[] = {
      {"below a file", root_ / "not a folder" / "thumbnails"},
      {"not writable", root_ / "read-only" / "thumbnails"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (::geteuid() == 0 && c.folder.parent_path() == root_ / "read-only") continue;  // root writes
    Album().ThumbnailCache = c.folder.string();
    EXPECT_TRUE(Run(2) == without);
    EXPECT_FALSE(fs::exists(c.folder));
  }
}

TEST_F(ThumbnailCacheTest, TrimmingDeletesTheLeastRecentlyUsedEntriesAndNothingElse) {
  ThumbnailCache store(cache().string());
  ThumbnailResult result;
  result.jpeg = std::string(5000, 'j');
  std::vector<fs::path> entries;
  for (int i = 0; i < 4; ++i) {
    const std::string key = "key " + std::to_string(i);
    store.Store(key, result);
    entries.push_back(cache() / (CacheEntryName(key) + ".thumb"));
    const timespec times[2] = {{kFixedTime, 0}, {kFixedTime + i, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, entries.back().c_str(), times, 0), 0);
  }
  ASSERT_TRUE(store.Find("key 0"));  // the oldest, used now
  File("notes.txt", "not an entry", cache());
  File(".fotoloom-aaaaaaaa", "left by a killed run", cache());
  File(".fotoloom-bbbbbbbb", "being written", cache());
  const timespec now[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  ::utimensat(AT_FDCWD, (cache() / ".fotoloom-bbbbbbbb").c_str(), now, 0);

  struct stat st {};
  ASSERT_EQ(::stat(entries[0].c_str(), &st), 0);
  ThumbnailCache(cache().string(), 2 * static_cast<std::uint64_t>(st.st_blocks) * 512).Trim();
  EXPECT_EQ(Listing(cache()),
            (std::set<std::string>{entries[0].filename().string(), entries[3].filename().string(),
                                   "notes.txt", ".fotoloom-bbbbbbbb"}));
}

TEST(CacheEntryTest, AnEntryServesOnlyItsOwnKeyAndOnlyWhole) {
  ThumbnailResult result;
  result.jpeg = "thumbnail bytes";
  result.preview = "preview bytes";
  const std::string entry = EncodeCacheEntry("key", CacheRecordsOf(result));
  const auto records = DecodeCacheEntry(entry, "key");
  ASSERT_TRUE(records);
  EXPECT_EQ(ResultFromCacheRecords(*records)->jpeg, "thumbnail bytes");
  EXPECT_EQ(ResultFromCacheRecords(*records)->jpeg_2x, std::nullopt);
  EXPECT_EQ(ResultFromCacheRecords(*records)->preview, "preview bytes");
  EXPECT_FALSE(DecodeCacheEntry(entry, "kez"));  // two keys sharing one name
  for (std::size_t at = 0; at < entry.size(); ++at) {
    std::string damaged = entry;
    damaged[at] ^= 0x10;
    EXPECT_FALSE(DecodeCacheEntry(damaged, "key")) << "byte " << at;
    EXPECT_FALSE(DecodeCacheEntry(entry.substr(0, at), "key")) << at << " bytes";
  }
  // An absent output is kept as absent; an entry without the kind at all is a miss.
  const auto absent = DecodeCacheEntry(EncodeCacheEntry("key", CacheRecordsOf({})), "key");
  ASSERT_TRUE(absent && ResultFromCacheRecords(*absent));
  EXPECT_EQ(ResultFromCacheRecords(*absent)->jpeg, std::nullopt);
  EXPECT_FALSE(ResultFromCacheRecords({}));
}

TEST(CacheEntryTest, TheKeyFollowsTheBoxAndRefusesWhatItCannotVouchFor) {
  const std::string scratch = ::testing::TempDir() + "fotoloom-key-" + std::to_string(::getpid());
  fs::create_directories(scratch);
  const std::string photo = scratch + "/a.jpg";
  // Changed in this clock tick (unless the tick ended in between, which a retry rules out).
  bool refused = false;
  for (int attempt = 0; attempt < 5 && !refused; ++attempt) {
    WriteBytes(photo, "bytes");
    refused = !ThumbnailCacheKey({photo, 100, 100});
  }
  EXPECT_TRUE(refused);
  WaitForTheClock();
  const std::optional<std::string> key = ThumbnailCacheKey({photo, 100, 100});
  ASSERT_TRUE(key);
  EXPECT_EQ(ThumbnailCacheKey({photo, 100, 100}), key);
  EXPECT_NE(ThumbnailCacheKey({photo, 100, 101}), key);
  EXPECT_NE(ThumbnailCacheKey({photo, 101, 100}), key);
  EXPECT_NE(ThumbnailCacheKey({photo, 100, 100, 1600, 1200}), key);
  EXPECT_NE(ThumbnailCacheKey({photo, 100, 100, 1600, 1200}),
            ThumbnailCacheKey({photo, 100, 100, 1600, 1000}));
  EXPECT_NE(ThumbnailCacheKey({photo, 100, 100, 0, 0, true}), key);
  EXPECT_FALSE(ThumbnailCacheKey({scratch, 100, 100})) << "a folder";
  EXPECT_FALSE(ThumbnailCacheKey({scratch + "/missing.jpg", 100, 100}));
  fs::remove_all(scratch);
}

// The user of the cases, and the other user whose folders and links they meet.
constexpr uid_t kUser = 65534;
constexpr uid_t kOther = 65533;

// Opens the cache at folder as kUser in a child process, looks up and stores an entry for
// "key", and returns "problem|found", found being "1" when the lookup was served.
std::string UseCacheAsTheUser(const std::string& folder) {
  int out[2];
  if (::pipe(out) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(out[0]);
    if (::setgid(kUser) != 0 || ::setuid(kUser) != 0) ::_exit(2);
    std::string report;
    {
      ThumbnailCache cache(folder);
      ThumbnailResult result;
      result.jpeg = "the user's thumbnail";
      report = cache.problem() + "|" + (cache.Find("key") ? "1" : "0");
      cache.Store("key", result);
    }
    ::_exit(::write(out[1], report.data(), report.size()) == static_cast<ssize_t>(report.size())
                ? 0
                : 1);
  }
  ::close(out[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? report : "child failed";
}

std::uint32_t ModeOf(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Another user who makes the cache's folders first, or plants links where they go, receives
// nothing and can show the user nothing: each such folder leaves the cache unused, and the
// reason names it. Run as an unprivileged user, which needs root to become.
TEST(ThumbnailCacheFolderTest, OnlyTheUsersOwnFoldersAreUsed) {
  if (::geteuid() != 0) GTEST_SKIP() << "not root: cannot run the cases as another user";
  char pattern[] = "/tmp/fotoloom-cache-owner-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path root = pattern;
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
  const auto folder = [](const fs::path& at, uid_t owner, mode_t mode) {
    fs::create_directories(at);
    ASSERT_EQ(::chown(at.c_str(), owner, owner), 0);
    ASSERT_EQ(::chmod(at.c_str(), mode), 0);
  };
  const auto link = [](const fs::path& to, const fs::path& at, uid_t owner) {
    fs::create_symlink(to, at);
    ASSERT_EQ(::lchown(at.c_str(), owner, owner), 0);
  };
  const std::string entry = CacheEntryName("key") + ".thumb";

  // Each case has a cache folder "cache" of the user's that anyone may write to (allowed), and
  // another user's folder "elsewhere" that must stay empty.
  const struct {
    const char* what;
    std::function<void(const fs::path& cache, const fs::path& elsewhere)> plant;
    std::string base;     // the folder the cache goes in, relative to the case
    std::string problem;  // relative to the case; "" when the cache is used
  } cases[] = {
      {"nothing made yet", {}, "cache", ""},
      {"fotoloom/ of another user",
       [&](const fs::path& c, const fs::path&) { folder(c / "fotoloom", kOther, 0755); }, "cache",
       "cache/fotoloom is owned by another user"},
      {"fotoloom/ open to everyone",
       [&](const fs::path& c, const fs::path&) { folder(c / "fotoloom", kUser, 0777); }, "cache",
       "cache/fotoloom can be written by others"},
      {"thumbnails/ open to the group",
       [&](const fs::path& c, const fs::path&) {
         folder(c / "fotoloom", kUser, 0700);
         folder(c / "fotoloom/thumbnails", kUser, 0770);
       },
       "cache", "cache/fotoloom/thumbnails can be written by others"},
      {"a link at fotoloom",
       [&](const fs::path& c, const fs::path& e) { link(e, c / "fotoloom", kOther); }, "cache",
       "cache/fotoloom is a link"},
      {"a link at thumbnails",
       [&](const fs::path& c, const fs::path& e) {
         folder(c / "fotoloom", kUser, 0700);
         link(e, c / "fotoloom/thumbnails", kUser);
       },
       "cache", "cache/fotoloom/thumbnails is a link"},
      {"a link at the entry: replaced, never read or written through",
       [&](const fs::path& c, const fs::path& e) {
         folder(c / "fotoloom/thumbnails", kUser, 0700);
         folder(c / "fotoloom", kUser, 0700);
         ThumbnailResult planted;
         planted.jpeg = "a picture of theirs";
         std::ofstream(e / "planted") << EncodeCacheEntry("key", CacheRecordsOf(planted));
         link(e / "planted", c / "fotoloom/thumbnails" / entry, kOther);
       },
       "cache", ""},
      {"the cache folder another user's",
       [&](const fs::path& c, const fs::path&) {
         ASSERT_EQ(::chown(c.c_str(), kOther, kOther), 0);
       },
       "cache", "cache is owned by another user"},
      {"the cache folder a link of another user's",
       [&](const fs::path& c, const fs::path&) { link(c, c.parent_path() / "link", kOther); },
       "link", "link is a link of another user"},
      {"the cache folder a link of the user's own",
       [&](const fs::path& c, const fs::path&) { link(c, c.parent_path() / "link", kUser); },
       "link", ""},
  };
  int number = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path at = root / std::to_string(++number);
    folder(at / "cache", kUser, 0777);
    folder(at / "elsewhere", kOther, 0777);
    if (c.plant) c.plant(at / "cache", at / "elsewhere");
    const std::string report =
        UseCacheAsTheUser((at / c.base).string() + "/" + kThumbnailCacheSubfolders);
    const std::string problem = c.problem.empty() ? "" : (at / c.problem).string();
    EXPECT_EQ(report, problem + "|0");
    const fs::path own = at / "cache/fotoloom/thumbnails";
    if (c.problem.empty()) {
      EXPECT_EQ(ModeOf(at / "cache/fotoloom"), 0700u);
      EXPECT_EQ(ModeOf(own), 0700u);
      EXPECT_EQ(ModeOf(own / entry), 0600u);  // a file now, no longer the link
    } else {
      EXPECT_FALSE(fs::exists(own / entry));
    }
    for (const auto& left : fs::directory_iterator(at / "elsewhere"))
      EXPECT_EQ(left.path().filename(), "planted");
  }
  fs::remove_all(root);
}

TEST(ThumbnailCacheFolderTest, FollowsTheEnvironment) {
  const struct {
    const char* cache_setting;
    const char* xdg;
    const char* home;
    std::string folder;
  } cases[] = {
      {nullptr, "/x/cache", "/home/u", "/x/cache/fotoloom/thumbnails/"},
      {nullptr, "relative", "/home/u", "/home/u/.cache/fotoloom/thumbnails/"},
      {nullptr, nullptr, "/home/u/", "/home/u/.cache/fotoloom/thumbnails/"},
      {nullptr, nullptr, nullptr, ""},
      {"off", "/x/cache", "/home/u", ""},
      {"OFF", "/x/cache", "/home/u", ""},
      {"on", "/x/cache", "/home/u", "/x/cache/fotoloom/thumbnails/"},
  };
  const auto set = [](const char* name, const char* value) {
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  };
  const std::string xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  const std::string kept_home = home != nullptr ? home : "";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " " + (c.cache_setting ? c.cache_setting : "-"));
    set("FOTOLOOM_CACHE", c.cache_setting);
    set("XDG_CACHE_HOME", c.xdg);
    set("HOME", c.home);
    EXPECT_EQ(ThumbnailCacheFolder(), c.folder);
  }
  ::unsetenv("FOTOLOOM_CACHE");
  ::setenv("XDG_CACHE_HOME", xdg.c_str(), 1);
  set("HOME", home != nullptr ? kept_home.c_str() : nullptr);
}

}  // namespace
}  // namespace fotoloom::testing
