#pragma once

#include <string>
#include <vector>

// The program's command line, read before QApplication exists, so that --help, --version
// and an option of nobody's are answered without a display. Qt's own options (-style,
// -platform, ...) are known here only to be passed over: QApplication takes them itself.
class CommandLine
{
public:
    enum class Action { Run, Help, Version, Error };

    // `arguments` as main receives them, the program first; relative file names are taken
    // from `currentDirectory`. The version is QCoreApplication::applicationVersion().
    CommandLine(const std::vector<std::string> &arguments, const std::string &currentDirectory);

    // --help wins over --version, and both over an unknown option.
    Action action() const { return action_; }
    // For Help, Version and Error: the text to print, ending in a newline.
    const std::string &message() const { return message_; }
    // The files to open, in the order given, absolute, with their bytes as given.
    const std::vector<std::string> &files() const { return files_; }
    // Whether Qt's -style option names a style, which then replaces ours.
    bool styleChosen() const { return styleChosen_; }

private:
    Action action_ = Action::Run;
    std::string message_;
    std::vector<std::string> files_;
    bool styleChosen_ = false;
};
