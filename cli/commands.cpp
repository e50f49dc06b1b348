#include "cli/commands.h"

#include <array>

namespace kest::cli {

// Each command's definition, from its own file.
extern const Command kInstallCommand;
extern const Command kLanguagesCommand;
extern const Command kLoginCommand;
extern const Command kSearchCommand;
extern const Command kUpdateCommand;

std::span<const Command> AllCommands() {
  static const Command commands[] = {
      kInstallCommand,
      kLanguagesCommand,
      kLoginCommand,
      kSearchCommand,
      kUpdateCommand,
  };
  return commands;
}

}  // namespace kest::cli
