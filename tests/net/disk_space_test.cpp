// The disk-space check against a free-space source the test controls, and
// against real volumes: the temporary folder's and one of 256 KiB.
#include "app/disk_space.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "net_test_support.h"
#include "support/desktop.h"
#include "support/paths.h"

namespace {

app::FreeSpaceQuery FixedFreeSpace(uint64_t bytes, std::string* askedFor = nullptr) {
  return [bytes, askedFor](const std::string& directory, uint64_t* free) {
    if (askedFor) *askedFor = directory;
    *free = bytes;
    return true;
  };
}

TEST(DiskSpace, BoundaryBetweenEnoughAndTooLittle) {
  net_test::ScopedWorkDir dir("disk_boundary");

  // Exactly as many free bytes as the package needs is enough.
  std::string asked;
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, "C:\\pkg\\", FixedFreeSpace(100000, &asked)))
      << "a volume with exactly the package's size free was refused";
  EXPECT_EQ(asked, "C:\\pkg\\") << "the check asked about another directory";

  // One byte fewer is too little.
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(100000, "C:\\pkg\\", FixedFreeSpace(99999)))
      << "a volume one byte short was accepted";

  // Free space beyond 4 GiB is not truncated into a small number.
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(0x7fffffff, "C:\\", FixedFreeSpace(0x100000000ULL)));
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(2, "C:\\", FixedFreeSpace(1)));

  // Each check leaves the free bytes and the size in the log, label before value.
  EXPECT_EQ(dir.LogLines(),
            (std::vector<std::string>{"qwFreeBytesToCaller:", "100000", "fileSize:", "100000",
                                      "qwFreeBytesToCaller:", "99999", "fileSize:", "100000",
                                      "qwFreeBytesToCaller:", "4294967296", "fileSize:",
                                      "2147483647", "qwFreeBytesToCaller:", "1", "fileSize:", "2"}));
}

TEST(DiskSpace, VolumeThatCannotBeAskedCountsAsRoomy) {
  net_test::ScopedWorkDir dir("disk_unknown");

  // A source that cannot answer never blocks the install, and nothing is logged.
  auto failing = [](const std::string&, uint64_t*) { return false; };
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, "C:\\", failing));

  // The real system: a directory that does not exist cannot be asked about.
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, "C:\\no\\such\\orvane\\folder\\"));
  EXPECT_TRUE(dir.LogLines().empty()) << "a failed query wrote to the log";

  // The real volume of the temporary folder has room for a small package.
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  std::string tempAnsi = app::ToAnsi(temp);
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(1024, tempAnsi));
  uint64_t free = 0;
  ASSERT_TRUE(app::QueryFreeSpace(tempAnsi, &free)) << "the temporary folder's volume did not answer";
  EXPECT_GT(free, 1024u);
  std::vector<std::string> lines = dir.LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "qwFreeBytesToCaller:");
  EXPECT_EQ(lines[2], "fileSize:");
  EXPECT_EQ(lines[3], "1024");
}

// A real volume of 256 KiB (tmpfs, mounted from the Linux side) under the
// build folder while the object lives.
class SmallVolume {
 public:
  SmallVolume() : unixPath_(test_support::BinaryDir() + "/disk_small_volume") {
    EXPECT_TRUE(test_support::RunOnHost("mkdir -p " + unixPath_ + " && mount -t tmpfs -o size=256k tmpfs " + unixPath_));
  }
  ~SmallVolume() { test_support::RunOnHost("umount " + unixPath_ + " || umount -l " + unixPath_); }
  SmallVolume(const SmallVolume&) = delete;
  SmallVolume& operator=(const SmallVolume&) = delete;

  std::string Directory() const { return app::ToAnsi(test_support::WindowsPath(unixPath_)) + "\\"; }

 private:
  std::string unixPath_;
};

TEST(DiskSpace, RealVolumeTooSmallForThePackageRefusesIt) {
  net_test::ScopedWorkDir dir("disk_small");
  SmallVolume volume;
  uint64_t free = 0;
  ASSERT_TRUE(app::QueryFreeSpace(volume.Directory(), &free)) << "the small volume did not answer";
  ASSERT_LE(free, 256u * 1024) << "the 256 KiB volume is not mounted at " << volume.Directory();

  // A 1 MiB package does not fit; a 16 KiB one does.
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(1024 * 1024, volume.Directory()))
      << "a package larger than its volume was accepted";
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(16 * 1024, volume.Directory()))
      << "a package with room on its volume was refused";
  std::vector<std::string> lines = dir.LogLines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "1048576");
  EXPECT_EQ(lines[7], "16384");
}

}  // namespace
