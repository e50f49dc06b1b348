#pragma once
// Whether a path lies on a removable drive (a USB stick, a card in a reader, an SD slot).
//
// Two steps, each split into reading and parsing so that the parsing is tested on captured text:
// 1. The mount that holds the path, from /proc/self/mountinfo: the entry with the longest mount
//    point that contains the path (the later entry when one mount covers another), and its
//    device number.
// 2. The block device behind that number, from /sys/dev/block/MAJOR:MINOR (for a partition, its
//    whole disk): removable when the disk's "removable" flag is 1, when it is an SD/MMC device
//    (mmcblk*, or below an mmc_host), or when it hangs below a USB controller (a USB card reader
//    often reports removable 0 for its medium, and a USB disk always does).
// Loop devices, device-mapper volumes, network and memory file systems are not removable.

#include <optional>
#include <string>
#include <string_view>

namespace kest::platform {

struct MountEntry {
  std::string mountPoint;  // unescaped ("\040" → " ")
  std::string fileSystem;  // "vfat", "ext4", "tmpfs", ...
  std::string source;      // "/dev/sdb1", "tmpfs", ...
  unsigned major = 0;
  unsigned minor = 0;
};

// The mount holding `path` (absolute and already resolved) according to the text of a
// mountinfo file, or nothing when no line applies.
std::optional<MountEntry> FindMountForPath(std::string_view mountinfo, std::string_view path);

struct BlockDeviceFacts {
  std::string name;        // kernel name of the whole disk: "sdb", "mmcblk0", "nvme0n1", "loop3"
  std::string devicePath;  // its resolved sysfs path: "/sys/devices/pci0000:00/.../block/sdb"
  bool removableFlag = false;  // the disk's "removable" attribute is 1
};

bool IsRemovableDevice(const BlockDeviceFacts& facts);

// Reading: the facts of the whole disk behind a device number, or nothing when sysfs has no
// block device of that number (anonymous devices of tmpfs, overlay, btrfs subvolumes, ...).
std::optional<BlockDeviceFacts> ReadBlockDeviceFacts(unsigned major, unsigned minor);

// The mount holding `path` on this system (the path is resolved first; a path that does not
// exist yet is looked up by its nearest existing parent).
std::optional<MountEntry> MountForPath(const std::string& path);

// True when `path` lies on a removable drive.
bool IsOnRemovableDrive(const std::string& path);
// True when `path` is the mount point (the root) of a removable drive.
bool IsRemovableDriveRoot(const std::string& path);

}  // namespace kest::platform
