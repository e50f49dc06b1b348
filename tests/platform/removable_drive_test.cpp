#include "platform/removable_drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

// /proc/self/mountinfo of a laptop with an NVMe disk, a snap on a loop device, a USB stick
// (sdb1, label with a blank), an SD card in a USB reader (sdc, no partition table), a card in
// the built-in SD slot (mmcblk0p1), a FAT image on a loop device, and one mount covered by a
// later one.
std::string Mountinfo() { return test::ReadFile(KEST_PLATFORM_FIXTURES "/laptop.mountinfo"); }

TEST(FindMountForPath, TakesTheDeepestMountThatHoldsThePath) {
  struct Case {
    const char* path;
    const char* mountPoint;
    const char* major_minor;
  };
  const Case cases[] = {
      {"/", "/", "259:2"},
      {"/home/anna/Desktop/card", "/", "259:2"},
      {"/media/anna/KEST SD", "/media/anna/KEST SD", "8:17"},
      {"/media/anna/KEST SD/CarDB/BENZ", "/media/anna/KEST SD", "8:17"},
      {"/media/anna/KEST SDX", "/", "259:2"},  // a longer name is another folder
      {"/media/anna/SCANNER/sys", "/media/anna/SCANNER", "179:1"},
      {"/run/user/1000/kestHelperMutex.lock", "/run/user/1000", "0:52"},
      {"/mnt/over/file", "/mnt/over", "0:61"},  // the later mount covers the earlier
  };
  std::string text = Mountinfo();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::optional<MountEntry> mount = FindMountForPath(text, c.path);
    ASSERT_TRUE(mount);
    EXPECT_EQ(mount->mountPoint, c.mountPoint);
    EXPECT_EQ(std::to_string(mount->major) + ":" + std::to_string(mount->minor), c.major_minor);
  }
  std::optional<MountEntry> stick = FindMountForPath(text, "/media/anna/KEST SD");
  EXPECT_EQ(stick->fileSystem, "vfat");
  EXPECT_EQ(stick->source, "/dev/sdb1");
}

TEST(FindMountForPath, SkipsLinesItCannotRead) {
  EXPECT_FALSE(FindMountForPath("", "/"));
  EXPECT_FALSE(FindMountForPath("garbage\n\n22 1 259:2 / /\n", "/"));  // no "-" section
  EXPECT_FALSE(FindMountForPath("22 1 x:y / / rw - ext4 /dev/sda1 rw\n", "/"));
  std::optional<MountEntry> mount =
      FindMountForPath("broken line\n22 1 8:1 / / rw - ext4 /dev/sda1 rw", "/a");
  ASSERT_TRUE(mount);
  EXPECT_EQ(mount->source, "/dev/sda1");
}

TEST(IsRemovableDevice, ClassifiesCapturedDevices) {
  struct Case {
    const char* what;
    BlockDeviceFacts facts;
    bool removable;
  };
  const Case cases[] = {
      {"USB stick",
       {"sdb",
        "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/"
        "block/sdb",
        true},
       true},
      {"SD card in a USB reader",
       {"sdc",
        "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:0/"
        "block/sdc",
        true},
       true},
      {"USB disk that reports removable 0",
       {"sdd",
        "/sys/devices/pci0000:00/0000:00:14.0/usb4/4-2/4-2:1.0/host8/target8:0:0/8:0:0:0/"
        "block/sdd",
        false},
       true},
      {"card in the built-in SD slot",
       {"mmcblk0",
        "/sys/devices/pci0000:00/0000:00:1c.0/0000:02:00.0/rtsx_pci_sdmmc.0/mmc_host/mmc0/"
        "mmc0:aaaa/block/mmcblk0",
        false},
       true},
      {"internal NVMe disk",
       {"nvme0n1", "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1",
        false},
       false},
      {"internal SATA disk",
       {"sda", "/sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda",
        false},
       false},
      {"loop device", {"loop5", "/sys/devices/virtual/block/loop5", false}, false},
      {"device mapper volume", {"dm-0", "/sys/devices/virtual/block/dm-0", false}, false},
      {"a USB-ish name that is no USB bus",
       {"sde", "/sys/devices/platform/usbphy0/ahci/ata2/host1/target1:0:0/1:0:0:0/block/sde",
        false},
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsRemovableDevice(c.facts), c.removable) << c.what;
  }
}

// The reading side on this machine: an image on a real loop device is not removable, and its
// mount is found with the device number that sysfs knows. (ext2, which every kernel here has;
// vfat is a module that containers often lack.)
TEST(IsOnRemovableDrive, ALoopMountedImageIsNotRemovable) {
  test::TempDir dir("kest-loop");
  std::string image = dir / "card.img";
  std::string mountPoint = dir / "mnt";
  std::filesystem::create_directories(mountPoint);
  Expected<int> made = RunAndWait({"truncate", "-s", "8M", image}, {.quiet = true});
  Expected<int> formatted = RunAndWait({"mke2fs", "-q", "-F", image}, {.quiet = true});
  if (!made.ok() || *made != 0 || !formatted.ok() || *formatted != 0) {
    GTEST_SKIP() << "cannot make a file system image (mke2fs from e2fsprogs)";
  }
  Expected<int> mounted = RunAndWait({"mount", "-o", "loop", image, mountPoint}, {.quiet = true});
  if (!mounted.ok() || *mounted != 0) GTEST_SKIP() << "may not mount a loop device";

  std::optional<MountEntry> mount = MountForPath(mountPoint + "/CarDB/not-yet-there");
  ASSERT_TRUE(mount);
  EXPECT_EQ(mount->mountPoint, mountPoint);
  EXPECT_EQ(mount->fileSystem, "ext2");
  std::optional<BlockDeviceFacts> facts = ReadBlockDeviceFacts(mount->major, mount->minor);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->name.rfind("loop", 0), 0u) << facts->name;
  EXPECT_FALSE(IsOnRemovableDrive(mountPoint));
  EXPECT_FALSE(IsRemovableDriveRoot(mountPoint));
  ::umount2(mountPoint.c_str(), MNT_DETACH);
}

TEST(IsOnRemovableDrive, FileSystemsWithoutABlockDeviceAreNotRemovable) {
  std::optional<MountEntry> proc = MountForPath("/proc/self");
  ASSERT_TRUE(proc);
  EXPECT_EQ(proc->fileSystem, "proc");
  EXPECT_FALSE(ReadBlockDeviceFacts(proc->major, proc->minor));
  EXPECT_FALSE(IsOnRemovableDrive("/proc/self"));
}

}  // namespace
}  // namespace kest::platform
