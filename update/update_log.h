#pragma once
// The update log: "update.log" in the staging folder, holding the date of the last system
// program installation as "%2d/%2d/%4d" (month, day, year; ten bytes, no line end). It reaches
// the card with the rest of the staging folder.

#include <ctime>
#include <string>

namespace kest {

// The log's content for a local date: " 3/ 1/2027" for 1 March 2027.
std::string UpdateLogText(const std::tm& local_date);

// Writes today's log into TempFolder() + "KestSD/update.log", replacing an earlier one. A file
// that cannot be created (no staging folder) is silently not written.
void WriteUpdateLog();

}  // namespace kest
