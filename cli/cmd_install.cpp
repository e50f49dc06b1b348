// kest install PACKAGE FOLDER: installs one package file (a 7z archive or a package container)
// into a folder, as the update run installs a downloaded package into the staging folder.

#include <cstdio>
#include <sys/stat.h>

#include "cli/cli_options.h"
#include "install/package_install.h"
#include "resources/embedded_files.h"

namespace kest::cli {
namespace {

int RunInstall(const CommonOptions&, const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kest install PACKAGE FOLDER\n");
    return kExitUsage;
  }
  const std::string& package = args[0];
  const std::string& folder = args[1];
  struct stat st {};
  if (::stat(package.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "kest install: %s is not a readable file\n", package.c_str());
    return kExitFailed;
  }
  // The start-up step: the archive library and the console tool go into the temporary folder.
  ExtractEmbeddedFiles();
  if (SevenZipDllPath().empty() || SevenZipExePath().empty()) {
    std::fprintf(stderr, "kest install: cannot write the 7-Zip files into the temporary "
                         "folder (is it full or mounted noexec?)\n");
    return kExitFailed;
  }
  if (Install7Z(package, folder) != 1) {
    std::fprintf(stderr,
                 "kest install: %s was not installed: it is no 7z archive or package container, "
                 "it is damaged, encrypted or unsafe (a path leading out of the folder), or a "
                 "file could not be written into %s\n",
                 package.c_str(), folder.c_str());
    return kExitFailed;
  }
  std::printf("Installed %s into %s\n", package.c_str(), folder.c_str());
  return kExitOk;
}

}  // namespace

extern const Command kInstallCommand = {
    "install",
    "install a package file (7z archive or package container) into a folder",
    "usage: kest install PACKAGE FOLDER\n"
    "\n"
    "Installs one package file as the update does with a downloaded one: a 7z archive is\n"
    "unpacked into FOLDER (made when missing); a package container has its archive members\n"
    "unpacked and its other members written into FOLDER (\"upbase.exe\" is left out).\n"
    "A package with a path that would lead out of FOLDER is refused before anything is\n"
    "written.\n"
    "\n"
    "Exit status: 0 installed, 1 not installed, 2 wrong command line.\n",
    RunInstall,
};

}  // namespace kest::cli
