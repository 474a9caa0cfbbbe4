#include "commandline.h"

CommandLine parseCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine parsed;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (const std::string &argument : arguments) {
        const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!option)
            parsed.files.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--help")
            help = true;
        else if (argument == "--version")
            version = true;
        else if (parsed.unknownOption.empty())
            parsed.unknownOption = argument;
    }
    if (help)
        parsed.action = CommandLine::Action::Help;
    else if (version)
        parsed.action = CommandLine::Action::Version;
    else if (!parsed.unknownOption.empty())
        parsed.action = CommandLine::Action::Error;
    return parsed;
}
