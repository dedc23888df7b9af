// volcatra-cli: the scripting front end over the catalogue core.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "platform/InterfaceLanguage.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Messages in the user's language; verbs, options and JSON keys stay.
    const volcatra::CInterfaceTranslation translation(volcatra::ChooseInterfaceLanguage());
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = volcatra::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
