#pragma once

#include "namedparameters.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QString;

// The program's command line, read before QApplication exists, so that --help, --version
// and an option of nobody's are answered without a display. Qt's own options (-style,
// -platform, ...) are known here only to be passed over: QApplication takes them itself.
class CommandLine
{
public:
    // Psnr: --psnr, two files compared with no window.
    enum class Action { Run, Psnr, Help, Version, Error };

    // `arguments` as main receives them, the program first. The version is
    // QCoreApplication::applicationVersion().
    explicit CommandLine(const std::vector<std::string> &arguments);

    // --help wins over --version, and both over an unknown option.
    Action action() const { return action_; }
    // For Help, Version and Error: the text to print, ending in a newline.
    const std::string &message() const { return message_; }
    // The files to open, in the order given, with their bytes as given. A relative name
    // stays relative: joined to a deep working folder it could pass the system's limit on
    // a path, which the name alone, opened from that folder, does not.
    const std::vector<std::string> &files() const { return files_; }
    // --diff: the two files open with a window of their difference.
    bool differenced() const { return differenced_; }
    // For an action on two files (Psnr, or Run with --diff): the two, in the order given.
    std::array<std::string, 2> compared() const;
    // The program's name as it was called, to begin lines on standard error.
    const std::string &program() const { return program_; }
    // Whether Qt's -style option names a style, which then replaces ours.
    bool styleChosen() const { return styleChosen_; }
    // What -s, -f, -m and -r ask of every file.
    const AskedParameters &asked() const { return asked_; }
    // --frame: the frame every video named starts at; nothing when not given.
    const std::optional<std::int64_t> &startFrame() const { return startFrame_; }

private:
    // Sets asked_ from the option values; nothing for an option not given.
    void readAsked(const std::optional<QString> &size, const std::optional<QString> &format,
        const std::optional<QString> &matrix, const std::optional<QString> &range);
    // One line on standard error, and status 2.
    void refuse(const std::string &reason);

    std::string program_;
    Action action_ = Action::Run;
    std::string message_;
    std::vector<std::string> files_;
    bool styleChosen_ = false;
    bool differenced_ = false;
    AskedParameters asked_;
    std::optional<std::int64_t> startFrame_;
};
