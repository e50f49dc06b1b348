#include "tests/support/archive_fixtures.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace kest::test {

std::string SevenZaPath() {
  return std::filesystem::exists("/usr/lib/p7zip/7za") ? "/usr/lib/p7zip/7za" : "7za";
}

int RunIn(const std::string& folder, const std::vector<std::string>& argv,
          const std::string& input) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) throw std::runtime_error("pipe failed");
  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(pipe_fds[0], 0);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 1);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipe_fds[0]);
  size_t written = 0;
  while (written < input.size()) {
    ssize_t n = ::write(pipe_fds[1], input.data() + written, input.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  ::close(pipe_fds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

namespace {

void Require(int status, const std::string& what) {
  if (status != 0) throw std::runtime_error(what + ": 7za exited with " + std::to_string(status));
}

std::string Absolute(const std::string& path) {
  return std::filesystem::absolute(path).string();
}

}  // namespace

void Make7z(const std::string& archive, const std::string& folder,
            const std::vector<std::string>& switches) {
  std::vector<std::string> argv = {SevenZaPath(), "a", "-bsp0", Absolute(archive)};
  argv.insert(argv.end(), switches.begin(), switches.end());
  argv.push_back("*");
  Require(RunIn(folder, argv), "packing " + folder);
}

void Make7zWithPaths(const std::string& archive, const std::string& cwd,
                     const std::vector<std::string>& paths) {
  std::vector<std::string> argv = {SevenZaPath(), "a", "-bsp0", "-spf", Absolute(archive)};
  argv.insert(argv.end(), paths.begin(), paths.end());
  Require(RunIn(cwd, argv), "packing with -spf");
}

void Make7zFromStdin(const std::string& archive, const std::string& content) {
  Require(RunIn("/", {SevenZaPath(), "a", "-bsp0", "-si", Absolute(archive)}, content),
          "packing standard input");
}

void DamageItemData(const std::string& archive, const std::string& content) {
  std::string bytes = ReadFile(archive);
  size_t at = bytes.find(content);
  if (at == std::string::npos) throw std::runtime_error("content not found in " + archive);
  bytes[at + content.size() / 2] ^= 0x55;
  WriteFile(archive, bytes);
}

std::string ContainerBytes(const std::vector<ContainerMember>& members,
                           const ContainerOptions& options) {
  std::string data;
  std::string directory;
  for (size_t i = 0; i < members.size(); ++i) {
    const ContainerMember& m = members[i];
    data += m.data;
    std::string size = i < options.size_fields.size() && !options.size_fields[i].empty()
                           ? options.size_fields[i]
                           : std::to_string(m.data.size());
    std::string name = options.name_prefix + m.name;
    if (size.size() > 9 || name.size() > 23) throw std::runtime_error("field too long");
    std::string entry(32, '\0');
    entry.replace(0, size.size(), size);
    entry.replace(9, name.size(), name);
    directory += entry;
  }
  std::string directory_size = options.directory_size_field.empty()
                                   ? std::to_string(directory.size())
                                   : options.directory_size_field;
  std::string trailer(40, '\0');
  trailer.replace(0, directory_size.size(), directory_size);
  trailer.replace(8, 7, "KESTPKG");  // the fields installation does not read
  trailer.replace(24, 4, "0001");
  trailer.replace(32, 4, "0000");
  return data + directory + trailer;
}

void WriteContainer(const std::string& path, const std::vector<ContainerMember>& members,
                    const ContainerOptions& options) {
  WriteFile(path, ContainerBytes(members, options));
}

}  // namespace kest::test
