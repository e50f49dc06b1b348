#pragma once
// The two requests that complete a system program installation in the staging folder: the
// scanner's menu configuration and the files the server names for one scanner.

#include <cstdint>
#include <string>

namespace kest {

// "/autodown/getmenuconfig?" for productInfoID, region and `code` (the data language in lower
// case). The answer's "data" is the configuration file's address; when the request itself
// gives no JSON, its own URL is taken as that address (a server that answers with the file).
// A non-zero "code" fails at once. The file goes to StagingFolder() + "sys/<code>/config.xml"
// (folders made as needed). True when it arrived and its first line contains "encoding".
// A code that is not a plain folder name (holding "/" or being "..") fails without a request.
bool FetchMenuConfig(int32_t region, int32_t productInfoID, const std::string& code);

// "/autodown/downcustom?" for the serial number and region. Each member of the answer's
// "data" object maps a path relative to the card's root ("/" or "\" separating folders) to a
// download address; members are fetched in ascending key order into StagingFolder() + path,
// folders made as needed. A failed fetch does not stop the others. A path that is absolute or
// climbs out with ".." is skipped. True when the answer was usable and every file arrived.
bool FetchCustomFiles(const std::string& serial, int32_t region);

}  // namespace kest
