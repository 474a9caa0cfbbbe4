#pragma once

#include <string>
#include <vector>

// What the program's own arguments ask for, once Qt has taken its options
// (-style, -platform, ...) out of them.
struct CommandLine
{
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    // The files to open, in the order given.
    std::vector<std::string> files;
    // For Error: the argument that is no option of ours.
    std::string unknownOption;
};

constexpr const char *usageLine = "Usage: zentavo [FILE]...";

// --help wins over --version, and both over an unknown option; "--" ends the options,
// so that a file may be named "-x".
CommandLine parseCommandLine(const std::vector<std::string> &arguments);
