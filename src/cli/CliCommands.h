// The verbs of volcatra-cli, testable without a process of their own.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace volcatra {

// Exit statuses of the tool.
enum CliStatus {
    CLI_OK = 0,
    CLI_FILE_OR_USAGE_ERROR = 1,
    CLI_FORMAT_ERROR = 2,
    CLI_GENERAL_FAILURE = 3,
};

inline constexpr char kVersionText[] = "ボルカトラ Version 3.20.160";

// Runs the tool with the arguments after the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace volcatra
