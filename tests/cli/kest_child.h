#pragma once
// kest as a user runs it: the program as a child process, its standard input and output (with
// standard error) on pipes of the test's own.
//
//   CommandResult run = RunKest({"--card", card, "search"});
//   KestChild kest({"--card", card, "update"});              // a conversation on the terminal
//   ASSERT_TRUE(kest.ReadUntil("continue? [y/N] "));
//   kest.Answer("y\n");
//   CommandResult run = kest.Finish();

#include <string>
#include <sys/types.h>
#include <vector>

namespace kest::test {

struct CommandResult {
  int status = -1;  // the exit status; -1 when kest did not end normally
  std::string out;  // standard output and error together
};

class KestChild final {
 public:
  // Starts kest with `args` and this process's environment, plus `env` ("NAME=value"; a name
  // given there replaces ours).
  explicit KestChild(std::vector<std::string> args, const std::vector<std::string>& env = {});
  ~KestChild();  // a kest still running is killed
  KestChild(const KestChild&) = delete;
  KestChild& operator=(const KestChild&) = delete;

  // Reads until the output holds `marker` after what was consumed before; false when the
  // program ended or a minute passed first.
  bool ReadUntil(const std::string& marker);
  // Writes `text` to kest's standard input.
  void Answer(const std::string& text);
  // Closes kest's standard input, reads its output to the end and waits for it.
  CommandResult Finish();

 private:
  bool ReadSome(int timeout_ms);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  bool waited_ = false;
  std::string output_;
  size_t consumed_ = 0;
};

// Runs kest to its end with an empty standard input.
CommandResult RunKest(std::vector<std::string> args, const std::vector<std::string>& env = {});

// The user session that kest finds in the environment it inherits from this process: HOME
// `home`, XDG_CONFIG_HOME `config` with a user-dirs.dirs that names `desktop` as the desktop
// folder, and the account workshop1 / secret01 in KEST_ACCOUNT and KEST_PASSWORD.
void SetUserSession(const std::string& home, const std::string& config,
                    const std::string& desktop);

// The options of a card command: no option.ini of the user's, the server, the card; then
// `rest` (the command and its arguments, and any other option).
std::vector<std::string> CardCommandArgs(const std::string& server, const std::string& card,
                                         const std::vector<std::string>& rest);

}  // namespace kest::test
