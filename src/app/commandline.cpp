#include "commandline.h"

#include "frameorder.h"
#include "samplelayout.h"
#include "videofile.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

namespace {

struct QtOption
{
    const char *name;
    // nullptr for an option without a value.
    const char *valueName;
    const char *description;
};

// The options that Qt's application objects and the X11 plugin take out of the arguments.
const QtOption qtOptions[] = {
    { "platform", "name", "Window system plugin to use, as QT_QPA_PLATFORM." },
    { "platformpluginpath", "path", "Folder to load window system plugins from." },
    { "platformtheme", "name", "Platform theme to use, as QT_QPA_PLATFORMTHEME." },
    { "plugin", "name", "Input plugin to load as well." },
    { "qwindowgeometry", "geometry", "Size and place of the first window, as WxH+X+Y." },
    { "geometry", "geometry", "The same as -qwindowgeometry, on X11." },
    { "qwindowtitle", "title", "Title of the first window." },
    { "title", "title", "The same as -qwindowtitle, on X11." },
    { "qwindowicon", "icon", "Icon of the first window." },
    { "icon", "icon", "The same as -qwindowicon, on X11." },
    { "style", "style", "Widget style to use in place of Fusion." },
    { "stylesheet", "file", "Style sheet file to apply to the widgets; a regular file only." },
    { "session", "id", "Session to restore." },
    { "display", "display", "X display to connect to, as DISPLAY." },
    { "name", "name", "Resource name of the windows on X11." },
    { "visual", "id", "X visual to use." },
    { "qmljsdebugger", "settings", "Settings of the QML debugger." },
    { "reverse", nullptr, "Lays the widgets out from right to left." },
    { "widgetcount", nullptr, "Prints how many widgets are left at exit." },
    { "nograb", nullptr, "Never grabs the mouse or the keyboard." },
    { "dograb", nullptr, "Grabs the mouse and keyboard even under a debugger." },
    { "testability", nullptr, "Loads the testability plugin." },
};

const QString styleOption = QStringLiteral("style");
const QString styleSheetOption = QStringLiteral("stylesheet");

std::string fileProblemText(FileProblem problem)
{
    switch (problem) {
    case FileProblem::Missing:
        return "cannot be found";
    case FileProblem::NotRegular:
        return "is not a regular file";
    case FileProblem::Unreadable:
        return "cannot be read";
    case FileProblem::None:
        break;
    }
    return std::string();
}

struct Options
{
    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineOption size;
    QCommandLineOption format;
    QCommandLineOption matrix;
    QCommandLineOption range;
    QCommandLineOption psnr;
    QCommandLineOption diff;
    QCommandLineOption frame;
};

// Qt's options are listed by --help-all only, as Qt's own programs do.
Options addOptions(QCommandLineParser &parser, bool listQtOptions)
{
    // "-style" is one option, not -s -t -y -l -e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Shows raw, headerless YUV video files frame by frame."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption size({ QStringLiteral("s"), QStringLiteral("size") },
        QStringLiteral("Frame size of every file, such as 1920x1080 or cif."),
        QStringLiteral("WxH"));
    const QCommandLineOption format({ QStringLiteral("f"), QStringLiteral("format") },
        QStringLiteral("Sample layout of every file, such as yuv420p or nv12."),
        QStringLiteral("NAME"));
    const QCommandLineOption matrix({ QStringLiteral("m"), QStringLiteral("matrix") },
        QStringLiteral("Colour matrix of every file: bt601, bt709 or bt2020."),
        QStringLiteral("NAME"));
    const QCommandLineOption range({ QStringLiteral("r"), QStringLiteral("range") },
        QStringLiteral("Sample range of every file: limited or full."), QStringLiteral("NAME"));
    const QCommandLineOption psnr(
        QStringLiteral("psnr"), QStringLiteral("Compares two FILEs as ffmpeg's psnr filter does."));
    parser.addOption(size);
    parser.addOption(format);
    parser.addOption(matrix);
    parser.addOption(range);
    const QCommandLineOption diff(QStringLiteral("diff"),
        QStringLiteral("Opens two FILEs and a window of their difference."));
    parser.addOption(psnr);
    parser.addOption(diff);
    const QCommandLineOption frame(QStringLiteral("frame"),
        QStringLiteral("Frame every FILE starts at, counted from 0."), QStringLiteral("N"));
    parser.addOption(frame);
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("Files to open, straight away when the frame size is known, else "
                       "asked about in turn. Put -- before a name that begins with -."),
        QStringLiteral("[FILE...]"));
    for (const QtOption &qt : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString::fromLatin1(qt.description),
            QString::fromLatin1(qt.valueName));
        if (!listQtOptions)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    return { help, version, size, format, matrix, range, psnr, diff, frame };
}

// Every name -f takes, for the message that refuses another.
std::string layoutNames()
{
    std::string names;
    for (const SampleLayout &layout : sampleLayouts()) {
        if (layout.format != layoutNamed(layout.name)->format)
            continue;
        names += (names.empty() ? "" : ", ") + std::string(layout.name);
        if (layout.alias)
            names += ", " + std::string(layout.alias);
        for (const std::string &other : otherLayoutNames(layout.format))
            names += ", " + other;
    }
    return names;
}

// Latin-1 gives each byte a character of its own and takes it back unchanged, so a
// name that is no valid UTF-8 comes out of the parser as it went in.
QString fromBytes(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string toBytes(const QString &text)
{
    return text.toLatin1().toStdString();
}

// Without an application object the parser cannot know the program's name.
QString helpText(const QCommandLineParser &parser, const QString &program)
{
    return parser.helpText().replace(QStringLiteral("<executable_name>"), program);
}

} // namespace

CommandLine::CommandLine(const std::vector<std::string> &arguments)
{
    QStringList texts;
    for (const std::string &argument : arguments)
        texts << fromBytes(argument);
    const QString program
        = texts.isEmpty() ? QStringLiteral("zentavo") : texts.first().section(QLatin1Char('/'), -1);

    program_ = toBytes(program);

    QCommandLineParser parser;
    const Options options = addOptions(parser, false);
    const bool parsed = parser.parse(texts);
    if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser all;
        addOptions(all, true);
        action_ = Action::Help;
        message_ = toBytes(helpText(all, program));
    } else if (parser.isSet(options.help)) {
        action_ = Action::Help;
        message_ = toBytes(helpText(parser, program));
    } else if (parser.isSet(options.version)) {
        action_ = Action::Version;
        message_ = "Zentavo " + toBytes(QCoreApplication::applicationVersion()) + '\n';
    } else if (!parsed) {
        action_ = Action::Error;
        const QString usage = helpText(parser, program).section(QLatin1Char('\n'), 0, 0);
        message_ = toBytes(program + QStringLiteral(": ") + parser.errorText() + QLatin1Char('\n')
            + usage + QLatin1Char('\n'));
    }
    styleChosen_ = parser.isSet(styleOption);
    const auto valueOf = [&parser](const QCommandLineOption &option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    if (action_ == Action::Run)
        readAsked(valueOf(options.size), valueOf(options.format), valueOf(options.matrix),
            valueOf(options.range));
    if (action_ == Action::Run && parser.isSet(options.frame)) {
        const std::string value = toBytes(parser.value(options.frame));
        startFrame_ = frameNumberFrom(value);
        if (!startFrame_)
            refuse("'" + value + "' is no frame number: give a whole number, 0 or more");
    }
    // Qt reads the style sheet whole while it makes the application: a pipe would hold it
    // there before any window, and a device such as /dev/zero would never end.
    for (const QString &sheet : parser.values(styleSheetOption)) {
        if (action_ != Action::Run)
            break;
        const std::string path = toBytes(sheet);
        const FileProblem problem = checkVideoFile(path).problem;
        if (problem != FileProblem::None)
            refuse("-stylesheet '" + path + "' " + fileProblemText(problem)
                + ": give a style sheet file");
    }

    for (const QString &file : parser.positionalArguments())
        files_.push_back(toBytes(file));

    if (action_ == Action::Run && parser.isSet(options.psnr) && parser.isSet(options.diff)) {
        refuse("--psnr and --diff cannot be given together: give one");
        return;
    }
    if (action_ == Action::Run && parser.isSet(options.diff)) {
        if (files_.size() != 2) {
            refuse(
                "--diff compares two files: give two names, not " + std::to_string(files_.size()));
            return;
        }
        differenced_ = true;
    }
    if (action_ == Action::Run && parser.isSet(options.psnr)) {
        // The report says itself which file lacks a size, without a dialog to fall back on.
        if (files_.size() == 2)
            action_ = Action::Psnr;
        else
            refuse(
                "--psnr compares two files: give two names, not " + std::to_string(files_.size()));
        return;
    }

    // Nothing opens when a file would need a dialog that cannot hold the asked layout.
    if (action_ == Action::Run && asked_.format && !dialogOffersLayout(*asked_.format)) {
        for (const std::string &file : files_) {
            if (!planOpen(file, asked_).straightAway) {
                refuse(std::string(layoutOf(*asked_.format)->name)
                    + " needs a frame size: give -s WxH or put the size in the file's name");
                break;
            }
        }
    }
}

std::array<std::string, 2> CommandLine::compared() const
{
    if (files_.size() != 2)
        return {};
    return { files_[0], files_[1] };
}

void CommandLine::readAsked(const std::optional<QString> &size,
    const std::optional<QString> &format, const std::optional<QString> &matrix,
    const std::optional<QString> &range)
{
    if (matrix) {
        asked_.matrix = colourMatrixNamed(toBytes(*matrix));
        if (!asked_.matrix) {
            refuse("'" + toBytes(*matrix) + "' is no colour matrix: give one of "
                + colourMatrixNames());
            return;
        }
    }
    if (range) {
        asked_.range = colourRangeNamed(toBytes(*range));
        if (!asked_.range) {
            refuse(
                "'" + toBytes(*range) + "' is no sample range: give one of " + colourRangeNames());
            return;
        }
    }
    if (size) {
        asked_.size = frameSizeNamed(toBytes(*size));
        if (!asked_.size) {
            refuse("'" + toBytes(*size)
                + "' is no frame size: give WxH, such as 1920x1080, or one of " + frameSizeNames());
            return;
        }
    }
    if (!format)
        return;
    const std::string name = toBytes(*format);
    if (const std::optional<std::string> meanings = ambiguityOfLayoutName(name)) {
        refuse("'" + name + "' is ambiguous: " + *meanings);
    } else if (const SampleLayout *layout = layoutNamed(name)) {
        asked_.format = layout->format;
    } else {
        refuse("'" + name + "' is no sample layout: give one of " + layoutNames());
    }
}

void CommandLine::refuse(const std::string &reason)
{
    action_ = Action::Error;
    message_ = program_ + ": " + reason + '\n';
}
