#pragma once
// The files the main executable carries, looked up by type and id as resources are, and the
// start-up step that writes them into the temporary folder.
//
//   "XML" 155   en.xml   the English interface string table
//   "EXE" 140   7z       the 7-Zip console tool (taken from p7zip-full at build time)
//   "DLL" 208   7z.so    the 7-Zip archive library (taken from p7zip-full at build time)

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kest {

// The bytes of a resource, or an empty span when there is none of that type and id.
std::span<const std::byte> FindEmbeddedResource(std::string_view type, int id);

// Writes the resource into the temporary folder under `fileName` (through a temporary name and
// a rename, so a running instance never loads a half-written file) and returns the full path,
// or an empty string when the resource is missing or the file could not be written.
std::string WriteEmbeddedResource(std::string_view type, int id, const std::string& fileName);

// Start-up: writes all three and sets the paths below. A file that cannot be written leaves its
// path empty and does not stop start-up.
void ExtractEmbeddedFiles();

// The paths of the written files (empty until written). Safe to read from any thread.
std::string EnXmlPath();
std::string SevenZipExePath();
std::string SevenZipDllPath();
void SetEnXmlPath(const std::string& path);
void SetSevenZipExePath(const std::string& path);
void SetSevenZipDllPath(const std::string& path);

}  // namespace kest
