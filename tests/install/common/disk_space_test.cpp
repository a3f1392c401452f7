// The disk-space check against a free-space source the test controls, and
// against real volumes: the temporary folder's and one of 256 KiB.
#include "app/install/common/disk_space.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/net_test_support.h"
#include "support/desktop.h"
#include "support/paths.h"

namespace {

app::FreeSpaceQuery FixedFreeSpace(uint64_t bytes, std::wstring* askedFor = nullptr) {
  return [bytes, askedFor](const std::wstring& directory, uint64_t* free) {
    if (askedFor) *askedFor = directory;
    *free = bytes;
    return true;
  };
}

TEST(DiskSpace, BoundaryBetweenEnoughAndTooLittle) {
  net_test::ScopedWorkDir dir("disk_boundary");

  // Exactly as many free bytes as the package needs is enough.
  std::wstring asked;
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, L"C:\\pkg\\", FixedFreeSpace(100000, &asked)))
      << "a volume with exactly the package's size free was refused";
  EXPECT_EQ(asked, L"C:\\pkg\\") << "the check asked about another directory";

  // One byte fewer is too little.
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(100000, L"C:\\pkg\\", FixedFreeSpace(99999)))
      << "a volume one byte short was accepted";

  // Free space beyond 4 GiB is not truncated into a small number.
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(0x7fffffff, L"C:\\", FixedFreeSpace(0x100000000ULL)));
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(2, L"C:\\", FixedFreeSpace(1)));

  // Packages of 2 GiB up to 4 GiB are sizes like any other, not negative numbers.
  EXPECT_TRUE(app::IsDiskSpaceInsufficient(0xC0000000u, L"C:\\", FixedFreeSpace(0x80000000ULL)))
      << "a 3 GiB package was let onto a volume with 2 GiB free";
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(0xFFFFFFFFu, L"C:\\", FixedFreeSpace(0xFFFFFFFFULL)));

  // Each check leaves the free bytes and the size in the log, label before value.
  EXPECT_EQ(dir.LogLines(),
            (std::vector<std::string>{"qwFreeBytesToCaller:", "100000", "fileSize:", "100000",
                                      "qwFreeBytesToCaller:", "99999", "fileSize:", "100000",
                                      "qwFreeBytesToCaller:", "4294967296", "fileSize:",
                                      "2147483647", "qwFreeBytesToCaller:", "1", "fileSize:", "2",
                                      "qwFreeBytesToCaller:", "2147483648", "fileSize:", "3221225472",
                                      "qwFreeBytesToCaller:", "4294967295", "fileSize:", "4294967295"}));
}

TEST(DiskSpace, VolumeThatCannotBeAskedCountsAsRoomy) {
  net_test::ScopedWorkDir dir("disk_unknown");

  // A source that cannot answer never blocks the install, and nothing is logged.
  auto failing = [](const std::wstring&, uint64_t*) { return false; };
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, L"C:\\", failing));

  // The real system: a directory that does not exist cannot be asked about.
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(100000, L"C:\\no\\such\\orvane\\folder\\"));
  EXPECT_TRUE(dir.LogLines().empty()) << "a failed query wrote to the log";

  // The real volume of the temporary folder has room for a small package.
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  EXPECT_FALSE(app::IsDiskSpaceInsufficient(1024, temp));
  uint64_t free = 0;
  ASSERT_TRUE(app::QueryFreeSpace(temp, &free)) << "the temporary folder's volume did not answer";
  EXPECT_GT(free, 1024u);
  std::vector<std::string> lines = dir.LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "qwFreeBytesToCaller:");
  EXPECT_EQ(lines[2], "fileSize:");
  EXPECT_EQ(lines[3], "1024");

  // A folder whose name the ANSI code page cannot hold is asked about by that name.
  const std::wstring wide = dir.path() + L"\\\xD83D\xDE00 \xD55C\xAE00";
  ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));
  EXPECT_TRUE(app::QueryFreeSpace(wide + L"\\", &free)) << "a folder with an emoji and Hangul in its name did not answer";
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

  std::wstring Directory() const { return test_support::WindowsPath(unixPath_) + L"\\"; }

 private:
  std::string unixPath_;
};

TEST(DiskSpace, RealVolumeTooSmallForThePackageRefusesIt) {
  net_test::ScopedWorkDir dir("disk_small");
  SmallVolume volume;
  uint64_t free = 0;
  ASSERT_TRUE(app::QueryFreeSpace(volume.Directory(), &free)) << "the small volume did not answer";
  ASSERT_LE(free, 256u * 1024) << "the 256 KiB volume is not mounted at " << base::ToAnsi(volume.Directory());

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
