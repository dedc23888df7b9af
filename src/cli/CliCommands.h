// The verbs of volcatra-cli, testable without a process of their own.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "model/UiText.h"

namespace volcatra {

// Exit statuses of the tool.
enum CliStatus {
    CLI_OK = 0,
    CLI_FILE_OR_USAGE_ERROR = 1,
    CLI_FORMAT_ERROR = 2,
    CLI_GENERAL_FAILURE = 3,
};

// The program's name (as the desktop program's title) and version for --version.
inline constexpr UiText kProgramName = VOLCATRA_TEXT("Application", "ボルカトラ");
inline constexpr char kVersionNumber[] = "3.20.160";

// Runs the tool with the arguments after the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace volcatra
