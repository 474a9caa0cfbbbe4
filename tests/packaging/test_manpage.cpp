#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct HelpOption
{
    QStringList names;
    QString description;
};

// The "Options:" block of QCommandLineParser's help: "  -s, --size <WxH>  Text", a long
// text carried on over lines indented to its column, the block ended by an empty line.
QList<HelpOption> optionsOf(const QString &help)
{
    static const QRegularExpression entry(QStringLiteral(R"(^\s+(-\S.*?)(?:\s{2,}(\S.*))?$)"));
    static const QRegularExpression name(QStringLiteral(R"(^-{1,2}[A-Za-z0-9][A-Za-z0-9-]*)"));
    QList<HelpOption> options;
    bool inBlock = false;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("Options:")) {
            inBlock = true;
            continue;
        }
        if (!inBlock)
            continue;
        if (line.trimmed().isEmpty())
            break;
        if (const QRegularExpressionMatch match = entry.match(line); match.hasMatch()) {
            HelpOption option;
            for (const QString &part : match.captured(1).split(QLatin1Char(','))) {
                const QRegularExpressionMatch found = name.match(part.trimmed());
                if (found.hasMatch())
                    option.names << found.captured();
            }
            option.description = match.captured(2);
            options << option;
        } else if (!options.isEmpty()) {
            options.last().description += QLatin1Char(' ') + line.trimmed();
        }
    }
    return options;
}

QProcessEnvironment renderingEnvironment()
{
    // One locale for every user who runs the test; the wide page keeps man from breaking and
    // hyphenating the words that are looked for.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("1000"));
    environment.remove(QStringLiteral("MAN_KEEP_FORMATTING"));
    environment.remove(QStringLiteral("MANROFFOPT"));
    return environment;
}

struct Output
{
    int exitCode = -1;
    QString out;
    QString err;
};

Output run(
    const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Output output;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return output;
    output.exitCode = process.exitCode();
    output.out = QString::fromUtf8(process.readAllStandardOutput());
    output.err = QString::fromUtf8(process.readAllStandardError());
    return output;
}

Output renderedPage()
{
    return run(QStringLiteral(MAN_EXECUTABLE),
        { QStringLiteral("--warnings"), QStringLiteral("-l"), QStringLiteral(ZENTAVO_MANPAGE) },
        renderingEnvironment());
}

} // namespace

class TestManPage : public QObject
{
    Q_OBJECT

private slots:
    void pageRendersWithoutWarnings();
    void everyHelpOptionIsInPage();
};

void TestManPage::pageRendersWithoutWarnings()
{
    const Output page = renderedPage();
    QCOMPARE(page.exitCode, 0);
    QCOMPARE(page.err, QString());
    QVERIFY2(page.out.contains(QStringLiteral("ZENTAVO(1)")), qPrintable(page.out.left(200)));
}

// Every option that the built program's --help prints, its names and its description.
void TestManPage::everyHelpOptionIsInPage()
{
    const Output help = run(QStringLiteral(ZENTAVO_EXECUTABLE), { QStringLiteral("--help") },
        QProcessEnvironment::systemEnvironment());
    QCOMPARE(help.exitCode, 0);
    const QList<HelpOption> options = optionsOf(help.out);
    // Every line that starts an option must have been read, or an option would go unchecked.
    static const QRegularExpression optionLine(
        QStringLiteral(R"(^\s+-)"), QRegularExpression::MultilineOption);
    QCOMPARE(options.size(), int(help.out.count(optionLine)));

    const Output page = renderedPage();
    QCOMPARE(page.exitCode, 0);
    const QString text = page.out.simplified();
    for (const HelpOption &option : options) {
        for (const QString &name : option.names) {
            // Whole names only: --help must not be found inside --help-all.
            const QRegularExpression word(
                QStringLiteral("(?<![\\w-])%1(?![\\w-])").arg(QRegularExpression::escape(name)));
            QVERIFY2(text.contains(word), qPrintable(name + QStringLiteral(" is not in the page")));
        }
        QVERIFY2(text.contains(option.description.simplified()),
            qPrintable(QStringLiteral("%1: \"%2\" is not in the page")
                           .arg(option.names.join(QStringLiteral(", ")), option.description)));
    }
}

QTEST_APPLESS_MAIN(TestManPage)
#include "test_manpage.moc"
