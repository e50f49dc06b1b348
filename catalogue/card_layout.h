#pragma once
// The card: which versions of a car kind it holds, whether one version is installed, and the
// rules a folder must pass to become the card's root.
//
// Layout under the root (names matched ignoring case, see card_path.h):
//   CarDB/<path>/<version>/data.<code>   a car kind's version with the data of language <code>
//   sys/                                 the scanner's programs (lang.dat, lang,
//                                        <code>/config.xml, ...)
//   update.log                           the date of the last system program installation
// A car kind's <path> may hold "/" or "\": "a/b" is the folder CarDB/a/b.

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

class CKestCar;

// A root is usable with at least this much free (512 MiB; one byte less is refused).
inline constexpr uint64_t kCardMinimumFreeBytes = 536870912;
// Before a car kind's staged files are copied the card must have their size plus this free.
inline constexpr uint64_t kInstallMarginBytes = 10485760;

// Fills car.localVersions from the card folder (CardFolder()): one version per folder below
// CarDB/<path> whose name does not begin with "."; files are ignored. Sorted newest first.
// True when at least one was found; a missing folder or an unsafe path finds none.
bool ScanLocalVersions(CKestCar& car);

// The installed-version check: CarDB/<path> holds a folder equal to `label` ignoring case,
// and that folder holds the file "data.<packageLanguage>" (ignoring case; the session's data
// language).
bool IsVersionOnCard(const CKestCar& car, std::string_view label);

// Where the user may put the card's root. A location on a removable drive passes; otherwise
// the path must contain the desktop folder followed by "/" (a plain, case-sensitive substring
// test); when no desktop folder is known, every path passes. The drive test differs between the
// folder dialog, which asks whether the whole typed text is a removable drive's root
// (kWholeText), and browsing, which asks whether the chosen folder lies on one (kDrivePart).
enum class DriveTest { kWholeText, kDrivePart };
bool CardRootAcceptable(const std::string& path, DriveTest test);

// Rule 3 of choosing a root: at least kCardMinimumFreeBytes free. A failed query counts as 0.
bool CardHasMinimumSpace(uint64_t free_bytes);
// The update run pauses unless the card has the pending size plus the margin free ...
bool RoomToInstall(uint64_t free_bytes, uint64_t pending_bytes);
// ... and resumes only when strictly more than that is free.
bool RoomToResume(uint64_t free_bytes, uint64_t pending_bytes);

}  // namespace kest
