#include "cli/commands.h"

#include <array>

namespace kest::cli {

// Each command's definition, from its own file.
extern const Command kDeleteCommand;
extern const Command kInstallCommand;
extern const Command kLanguagesCommand;
extern const Command kLoginCommand;
extern const Command kSearchCommand;
extern const Command kUpdateCommand;
extern const Command kVersionsCommand;

std::span<const Command> AllCommands() {
  static const Command commands[] = {
      kDeleteCommand,
      kInstallCommand,
      kLanguagesCommand,
      kLoginCommand,
      kSearchCommand,
      kUpdateCommand,
      kVersionsCommand,
  };
  return commands;
}

}  // namespace kest::cli
