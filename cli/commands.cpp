#include "cli/commands.h"

#include <array>

namespace kest::cli {

// Each command's definition, from its own file.
extern const Command kInstallCommand;
extern const Command kLanguagesCommand;
extern const Command kLoginCommand;

std::span<const Command> AllCommands() {
  static const Command commands[] = {
      kInstallCommand,
      kLanguagesCommand,
      kLoginCommand,
  };
  return commands;
}

}  // namespace kest::cli
