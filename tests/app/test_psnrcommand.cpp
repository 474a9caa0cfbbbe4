#include "tempdir.h"
#include "testclips.h"
#include "videoparameters.h"

#include <QProcess>
#include <QtTest>

// The built program's --psnr, run with no display to connect to: it must need none.
class TestPsnrCommand : public QObject
{
    Q_OBJECT

private slots:
    void statusSaysHowTheFilesCompare_data();
    void statusSaysHowTheFilesCompare();
};

void TestPsnrCommand::statusSaysHowTheFilesCompare_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<QString>("err");

    QTest::newRow("the same clip twice")
        << QStringList { "--psnr", "three_64x32_nv12.yuv", "again_64x32_nv12.yuv" } << 0
        << "identical"
        << "";
    QTest::newRow("a frame fewer in the second, -s and -f after the files")
        << QStringList { "--psnr", "three.yuv", "two.yuv", "-s", "64x32", "-f", "nv12" } << 1
        << "frame counts differ: 3 against 2; the first 2 compared"
        << "";
    QTest::newRow("a missing file")
        << QStringList { "three_64x32_nv12.yuv", "--psnr", "gone_64x32.yuv" } << 2 << ""
        << "zentavo: gone_64x32.yuv cannot be found\n";
    QTest::newRow("one file") << QStringList { "--psnr", "three_64x32_nv12.yuv" } << 2 << ""
                              << "zentavo: --psnr compares two files: give two names, not 1\n";
}

void TestPsnrCommand::statusSaysHowTheFilesCompare()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, lastLine);
    QFETCH(QString, err);

    const TempDir dir;
    QVERIFY(dir.isValid());
    // The Hash clip's frames depend on their number alone: the first two of each match.
    QVERIFY(testclips::writeClip(dir.filePath("three_64x32_nv12.yuv"), Nv12, 64, 32, 3));
    QVERIFY(testclips::writeClip(dir.filePath("again_64x32_nv12.yuv"), Nv12, 64, 32, 3));
    QVERIFY(testclips::writeClip(dir.filePath("three.yuv"), Nv12, 64, 32, 3));
    QVERIFY(testclips::writeClip(dir.filePath("two.yuv"), Nv12, 64, 32, 2));

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(dir.path()));
    program.start(QStringLiteral(ZENTAVO_EXECUTABLE), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);

    QCOMPARE(QString::fromUtf8(program.readAllStandardError()), err);
    QCOMPARE(program.exitCode(), status);
    const QStringList lines
        = QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'));
    // Output ends with a newline, after which split leaves an empty string.
    QCOMPARE(lines.value(lines.size() - 2), lastLine);
}

QTEST_APPLESS_MAIN(TestPsnrCommand)
#include "test_psnrcommand.moc"
