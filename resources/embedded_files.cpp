#include "resources/embedded_files.h"

#include <array>
#include <mutex>

#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/temp_files.h"

// The blobs of embedded_blobs.S.
extern "C" {
extern const std::byte kest_blob_en_xml_begin[];
extern const std::byte kest_blob_en_xml_end[];
extern const std::byte kest_blob_seven_zip_exe_begin[];
extern const std::byte kest_blob_seven_zip_exe_end[];
extern const std::byte kest_blob_seven_zip_dll_begin[];
extern const std::byte kest_blob_seven_zip_dll_end[];
}

namespace kest {
namespace {

struct Resource {
  std::string_view type;
  int id;
  const std::byte* begin;
  const std::byte* end;
};

const std::array<Resource, 3>& Resources() {
  static const std::array<Resource, 3> resources = {{
      {"XML", 155, kest_blob_en_xml_begin, kest_blob_en_xml_end},
      {"EXE", 140, kest_blob_seven_zip_exe_begin, kest_blob_seven_zip_exe_end},
      {"DLL", 208, kest_blob_seven_zip_dll_begin, kest_blob_seven_zip_dll_end},
  }};
  return resources;
}

std::mutex g_paths_mutex;
std::string g_en_xml_path;
std::string g_seven_zip_exe_path;
std::string g_seven_zip_dll_path;

std::string ReadPath(const std::string& path) {
  std::lock_guard lock(g_paths_mutex);
  return path;
}

void WritePath(std::string& path, const std::string& value) {
  std::lock_guard lock(g_paths_mutex);
  path = value;
}

}  // namespace

std::span<const std::byte> FindEmbeddedResource(std::string_view type, int id) {
  for (const Resource& r : Resources()) {
    if (r.type == type && r.id == id) {
      return {r.begin, static_cast<size_t>(r.end - r.begin)};
    }
  }
  return {};
}

std::string WriteEmbeddedResource(std::string_view type, int id, const std::string& fileName) {
  std::span<const std::byte> bytes = FindEmbeddedResource(type, id);
  if (bytes.empty() || fileName.empty() || fileName.find('/') != std::string::npos) return {};
  std::string path = platform::TempFolder() + fileName;
  // The new bytes go to a fresh name beside the target and replace it with one rename: another
  // instance that runs the tool or loads the library at this moment sees either the old file or
  // the new one, never a half-written one. No fsync: every start writes the files again, so a
  // file cut short by a power failure is mended by the next start. The tool must be
  // executable; the library is mapped by dlopen, which needs read access only.
  platform::ReplaceOptions options{.mode = static_cast<mode_t>(type == "EXE" ? 0755 : 0644),
                                   .sync = false};
  std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (Status written = platform::ReplaceFileAtomically(path, content, options); !written) {
    KEST_TRACE("embedded %s %d: %s\r\n", std::string(type).c_str(), id,
               written.error().message.c_str());
    return {};
  }
  return path;
}

void ExtractEmbeddedFiles() {
  // A file that cannot be written leaves its path empty rather than pointing at whatever sits
  // at that name: in a shared /tmp that may be another user's file, and the library is loaded
  // into this process.
  SetEnXmlPath(WriteEmbeddedResource("XML", 155, "en.xml"));
  SetSevenZipExePath(WriteEmbeddedResource("EXE", 140, "7z"));
  SetSevenZipDllPath(WriteEmbeddedResource("DLL", 208, "7z.so"));
}

std::string EnXmlPath() { return ReadPath(g_en_xml_path); }
std::string SevenZipExePath() { return ReadPath(g_seven_zip_exe_path); }
std::string SevenZipDllPath() { return ReadPath(g_seven_zip_dll_path); }
void SetEnXmlPath(const std::string& path) { WritePath(g_en_xml_path, path); }
void SetSevenZipExePath(const std::string& path) { WritePath(g_seven_zip_exe_path, path); }
void SetSevenZipDllPath(const std::string& path) { WritePath(g_seven_zip_dll_path, path); }

}  // namespace kest
