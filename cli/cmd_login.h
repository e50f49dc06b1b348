#pragma once
// Logging in for the commands that talk to the update server.

#include "cli/cli_options.h"

namespace kest::cli {

// Reads the account and password ($KEST_ACCOUNT / $KEST_PASSWORD or prompts), logs in into
// TheApp().session and applies --serial. Prints what went wrong, prefixed with `command`, and
// returns the exit status; kExitOk when the session is ready for requests.
int LogInForCommand(const CommonOptions& options, const char* command);

}  // namespace kest::cli
