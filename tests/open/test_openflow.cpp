#include "apptesting.h"
#include "chosenfile.h"
#include "dialogtesting.h"
#include "imageopendialog.h"
#include "imageview.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "testclips.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <sys/stat.h>

using namespace apptesting;
using namespace dialogtesting;

namespace {

struct ChooserSeen
{
    QString title;
    QWidget *parent = nullptr;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptSave;
    QString folder;
};

// Answers the file chooser by typing `path` into its file name field, as a user would.
void typeInChooser(const QString &path, ChooserSeen *seen)
{
    whenFileChooserOpens([path, seen](QWidget *widget) {
        auto *chooser = static_cast<QFileDialog *>(widget);
        seen->title = chooser->windowTitle();
        seen->parent = chooser->parentWidget();
        seen->mode = chooser->fileMode();
        seen->acceptMode = chooser->acceptMode();
        seen->folder = chooser->directory().absolutePath();
        typeIntoChooser(chooser, path);
    });
}

QList<ImageOpenDialog *> parameterDialogs()
{
    QList<ImageOpenDialog *> dialogs;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<ImageOpenDialog *>(widget))
            dialogs << dialog;
    }
    return dialogs;
}

QList<QMessageBox *> refusalMessages()
{
    return MainWindow::instance().findChildren<QMessageBox *>(QStringLiteral("refusalMessage"));
}

void fillParametersAndConfirm(const QString &width, const QString &height, int format)
{
    typeInto("leImageWidth", width);
    typeInto("leImageHeight", height);
    typeInto("leImageSpeed", QStringLiteral("25"));
    dialogWidget<QComboBox>("comboBoxFormat")->setCurrentIndex(format);
    pressDialogButton(QDialogButtonBox::Ok);
}

} // namespace

class TestOpenFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void cancelledChooserShowsNoDialog();
    void chosenFileIsListedAndShown();
    void openSlotReturnsWhileTheDialogIsUp();
    void nonAsciiPathTypedInTheChooserOpens();
    void chosenNameFindsTheFileByItsBytes_data();
    void chosenNameFindsTheFileByItsBytes();
    void droppedFilesAreAskedAboutInTurn_data();
    void droppedFilesAreAskedAboutInTurn();
    void refusalsShowInOneMessage_data();
    void refusalsShowInOneMessage();
    void y4mFilesOpenWithoutTheDialog_data();
    void y4mFilesOpenWithoutTheDialog();

private:
    TempDir dir;
};

void TestOpenFlow::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestOpenFlow::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestOpenFlow::cleanup()
{
    qDeleteAll(refusalMessages());
    if (!parameterDialogs().isEmpty())
        ImageOpenDialog::instance().hide();
    closeAllVideos();
}

void TestOpenFlow::cancelledChooserShowsNoDialog()
{
    bool answered = false;
    whenFileChooserOpens([&answered](QWidget *chooser) {
        answered = true;
        auto *buttons = chooser->findChild<QDialogButtonBox *>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    click("pbOpenImage");

    QVERIFY(answered);
    QVERIFY(parameterDialogs().isEmpty());
    QCOMPARE(videoCount(), 0);
}

void TestOpenFlow::chosenFileIsListedAndShown()
{
    const std::string path = writeClip(dir, "flow.yuv", UYVY, 32, 16, 6).path;
    ChooserSeen seen;
    typeInChooser(QString::fromStdString(path), &seen);
    click("pbOpenImage");

    QCOMPARE(seen.title, QStringLiteral("Choose a file to open"));
    QCOMPARE(seen.parent, &MainWindow::instance());
    QCOMPARE(seen.mode, QFileDialog::ExistingFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    // No earlier session's folder: the first chooser starts in the current one.
    QCOMPARE(seen.folder, QDir::currentPath());
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), &dialog);

    fillParametersAndConfirm("32", "16", 1);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoList()->item(0)->text(), QStringLiteral("flow.yuv"));
    QCOMPARE(videoList()->currentRow(), 0);
    ImageView *view = videoAt(0);
    QCOMPARE(view->document().path(), path);
    QCOMPARE(view->frameCount(), 6);
    QCOMPARE(view->currentFrame(), qint64(0));
    QCOMPARE(view->windowTitle(), QStringLiteral("flow.yuv - 0/6"));
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QCOMPARE(view->document().frame().y()[5],
        testclips::clipSample(UYVY, 32, 16, 0, testclips::Plane::Y, 5, 0));
    QCOMPARE(shownText("labelVideoInfoFormat"), QStringLiteral("UYVY"));
    QCOMPARE(shownText("leIntervalMax"), QStringLiteral("5"));
}

void TestOpenFlow::openSlotReturnsWhileTheDialogIsUp()
{
    ChooserSeen seen;
    typeInChooser(QString::fromStdString(writeClip(dir, "wait.yuv", YV12, 16, 8, 2).path), &seen);
    click("pbOpenImage");
    // The click has returned with the dialog still waiting for an answer.
    QVERIFY(ImageOpenDialog::instance().isVisible());
    QCOMPARE(videoCount(), 0);
}

void TestOpenFlow::nonAsciiPathTypedInTheChooserOpens()
{
    const QString name = QStringLiteral("\u00e9t\u00e9 \u65e5\u672c.yuv");
    const QString path = QString::fromStdString(dir.path()) + '/' + name;
    QVERIFY(testclips::writeClip(QFile::encodeName(path).toStdString(), YV12, 16, 8, 4));
    ChooserSeen seen;
    typeInChooser(path, &seen);
    click("pbOpenImage");
    fillParametersAndConfirm("16", "8", 0);

    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoAt(0)->frameCount(), 4);
    QCOMPARE(videoList()->item(0)->text(), name);
    QCOMPARE(videoAt(0)->windowTitle(), name + QStringLiteral(" - 0/4"));
    QCOMPARE(videoAt(0)->document().frame().y()[3],
        testclips::clipSample(YV12, 16, 8, 0, testclips::Plane::Y, 3, 0));
}

void TestOpenFlow::droppedFilesAreAskedAboutInTurn_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QStringList>("answers");
    // Each dialog's message line, and its frame size and format where not 16x8 and YV12,
    // as it comes up.
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("listed");
    // Speed and colour in Video Info for each listed video, once selected; empty where not
    // looked at.
    QTest::addColumn<QStringList>("speeds");

    // "clip:" names a local clip written for the row, its name's bytes percent-escaped;
    // anything else is dropped as it is. Clips are 16 x 8, and so are the dialog's fields
    // when the files are dropped.
    QTest::newRow("two local files, both confirmed")
        << QStringList { "clip:a.yuv", "clip:b.yuv" } << true << QStringList { "OK", "OK" }
        << QStringList { "File: a.yuv", "File: b.yuv" } << QStringList { "a.yuv", "b.yuv" }
        << QStringList();
    QTest::newRow("the first cancelled, the second confirmed")
        << QStringList { "clip:a.yuv", "clip:b.yuv" } << true << QStringList { "Cancel", "OK" }
        << QStringList { "File: a.yuv", "File: b.yuv" } << QStringList { "b.yuv" } << QStringList();
    QTest::newRow("a web address beside a local file")
        << QStringList { "https://example.com/remote.yuv", "clip:local.yuv" } << true
        << QStringList { "OK" } << QStringList { "File: local.yuv" } << QStringList { "local.yuv" }
        << QStringList();
    QTest::newRow("only a web address")
        << QStringList { "https://example.com/remote.yuv" } << false << QStringList()
        << QStringList() << QStringList() << QStringList();
    QTest::newRow("text") << QStringList { "text:/tmp/clip.yuv" } << false << QStringList()
                          << QStringList() << QStringList() << QStringList();
    QTest::newRow("size and layout in the name open without a dialog, in the order dropped")
        << QStringList { "clip:c_16x8_i420.yuv", "clip:a.yuv", "clip:d-16X8-yuv420p.yuv" } << true
        << QStringList { "OK" } << QStringList { "File: a.yuv" }
        << QStringList { "c_16x8_i420.yuv", "a.yuv", "d-16X8-yuv420p.yuv" } << QStringList();
    QTest::newRow("a size alone in the name opens without a dialog, its rate the speed")
        << QStringList { "clip:e_cif_30.yuv", "clip:f_32x16_25fps.yuv", "clip:g_16x8p50.yuv" }
        << true << QStringList() << QStringList()
        << QStringList { "e_cif_30.yuv", "f_32x16_25fps.yuv", "g_16x8p50.yuv" }
        << QStringList { "30 BT.601 limited", "25 BT.601 limited", "50 BT.601 limited" };
    QTest::newRow("a size the layout cannot have is refused; the next file opens")
        << QStringList { "clip:g_15x8_yuv420p.yuv", "clip:h_16x8_yuv420p.yuv" } << true
        << QStringList() << QStringList() << QStringList { "h_16x8_yuv420p.yuv" } << QStringList();
    QTest::newRow("a layout the dialog offers is chosen and kept; two layouts say nothing")
        << QStringList { "clip:m_yuv422p.yuv", "clip:n_32x16_yuv422p_nv12.yuv" } << true
        << QStringList { "Cancel", "OK" }
        << QStringList { "File: m_yuv422p.yuv UYVY", "File: n_32x16_yuv422p_nv12.yuv UYVY" }
        << QStringList { "n_32x16_yuv422p_nv12.yuv" } << QStringList();
    QTest::newRow("a 10-bit name opens without a dialog; a depth nv12 lacks says nothing")
        << QStringList { "clip:k_16x8_10bit_420.yuv", "clip:l_32x16_10bit_nv12.yuv" } << true
        << QStringList { "OK" } << QStringList { "File: l_32x16_10bit_nv12.yuv" }
        << QStringList { "k_16x8_10bit_420.yuv", "l_32x16_10bit_nv12.yuv" } << QStringList();
    QTest::newRow("colour words reach the file asked about, and no further")
        << QStringList { "clip:q_bt709_pc.yuv", "clip:t.yuv", "clip:s_16x8_2020.yuv" } << true
        << QStringList { "OK", "OK" } << QStringList { "File: q_bt709_pc.yuv", "File: t.yuv" }
        << QStringList { "q_bt709_pc.yuv", "t.yuv", "s_16x8_2020.yuv" }
        << QStringList { "25 BT.709 full", "25 BT.601 limited", "25 BT.2020 limited" };
    // As a file manager drops them, escaped in the URL; shown with U+FFFD for each byte.
    QTest::newRow("names that are not UTF-8 open by their own bytes")
        << QStringList { "clip:o_%FF%FE_16x8_yuv420p.yuv", "clip:p_%FF%FE.yuv" } << true
        << QStringList { "OK" } << QStringList { "File: p_\uFFFD\uFFFD.yuv" }
        << QStringList { "o_\uFFFD\uFFFD_16x8_yuv420p.yuv", "p_\uFFFD\uFFFD.yuv" } << QStringList();
}

void TestOpenFlow::droppedFilesAreAskedAboutInTurn()
{
    QFETCH(QStringList, dropped);
    QFETCH(bool, taken);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, speeds);

    QMimeData data;
    QList<QUrl> urls;
    for (const QString &thing : dropped) {
        if (thing.startsWith(QLatin1String("clip:"))) {
            const QByteArray name = QByteArray::fromPercentEncoding(thing.mid(5).toLatin1());
            const QByteArray path = QByteArray::fromStdString(
                writeClip(dir, name.toStdString(), YV12, 16, 8, 3).path);
            urls << QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
        } else if (thing.startsWith(QLatin1String("text:")))
            data.setText(thing.mid(5));
        else
            urls << QUrl(thing);
    }
    if (!urls.isEmpty())
        data.setUrls(urls);

    // What the dialog holds from an earlier answer; a size in a name replaces it.
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.findChild<QLineEdit *>(QStringLiteral("leImageWidth"))->setText(QStringLiteral("16"));
    dialog.findChild<QLineEdit *>(QStringLiteral("leImageHeight"))->setText(QStringLiteral("8"));
    auto *format = dialog.findChild<QComboBox *>(QStringLiteral("comboBoxFormat"));
    format->setCurrentIndex(0);

    MainWindow &window = MainWindow::instance();
    const QPoint onList = mainWidget<QWidget>("lwImageItems")->geometry().center();
    QDragEnterEvent enter(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QCOMPARE(enter.isAccepted(), taken);
    if (taken) {
        QDropEvent drop(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QVERIFY(drop.isAccepted());
    }

    QStringList seen;
    for (const QString &answer : answers) {
        QTRY_VERIFY(dialog.isVisible());
        const QString size = dialog.findChild<QLineEdit *>(QStringLiteral("leImageWidth"))->text()
            + QLatin1Char('x')
            + dialog.findChild<QLineEdit *>(QStringLiteral("leImageHeight"))->text();
        seen << dialog.findChild<QLabel *>(QStringLiteral("labelMessage"))->text()
                + (size == QLatin1String("16x8") ? QString() : QLatin1Char(' ') + size)
                + (format->currentIndex() == 0 ? QString()
                                               : QLatin1Char(' ') + format->currentText());
        if (answer == QLatin1String("OK"))
            fillParametersAndConfirm("16", "8", 0);
        else
            pressDialogButton(QDialogButtonBox::Cancel);
        QVERIFY(!dialog.isVisible());
    }
    QTest::qWait(20);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(seen, asked);
    QStringList names;
    for (int row = 0; row < videoCount(); ++row)
        names << videoList()->item(row)->text();
    QCOMPARE(names, listed);
    for (int row = 0; row < speeds.size(); ++row) {
        videoList()->setCurrentRow(row);
        QCOMPARE(mainWidget<QLabel>("labelVideoInfoSpeed")->text() + QLatin1Char(' ')
                + mainWidget<QLabel>("labelVideoInfoColour")->text(),
            speeds[row]);
    }
}

void TestOpenFlow::refusalsShowInOneMessage_data()
{
    // Files named in one start or drop, then in a second one; "dir:" makes a folder,
    // "fifo:" a named pipe, "clip:" a 16 x 8 clip of 3 frames, and a bare name is missing.
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    // Whether the user closes the first message before the second batch.
    QTest::addColumn<bool>("closedBetween");
    // The message's text in the end, "%d" the row's folder; empty when none is shown.
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("missing, folder, pipe and too wide, in the order named; the good one opens")
        << QStringList { "gone_16x8_yuv420p.yuv", "dir:folder_16x8_yuv420p.yuv",
               "fifo:pipe_16x8_yuv420p.yuv", "clip:good_16x8_yuv420p.yuv",
               "clip:wide_20000x16_yuv420p.yuv" }
        << QStringList() << false
        << "%d/gone_16x8_yuv420p.yuv cannot be found.\n"
           "%d/folder_16x8_yuv420p.yuv is not a regular file.\n"
           "%d/pipe_16x8_yuv420p.yuv is not a regular file.\n"
           "%d/wide_20000x16_yuv420p.yuv: Width must be at most 16384."
        << QStringList { "good_16x8_yuv420p.yuv" };
    QTest::newRow("refused while the message is up, they join it")
        << QStringList { "gone_16x8_yuv420p.yuv" }
        << QStringList { "clip:fine_16x8_yuv420p.yuv", "clip:odd_15x8_yuv420p.yuv" } << false
        << "%d/gone_16x8_yuv420p.yuv cannot be found.\n"
           "%d/odd_15x8_yuv420p.yuv: Width must be even."
        << QStringList { "fine_16x8_yuv420p.yuv" };
    QTest::newRow("refused after the message was closed, they show alone")
        << QStringList { "gone_16x8_yuv420p.yuv" } << QStringList { "dir:later_16x8_nv12.yuv" }
        << true << "%d/later_16x8_nv12.yuv is not a regular file." << QStringList();
    QTest::newRow("every file opens, no message")
        << QStringList { "clip:x_16x8_yuv420p.yuv", "clip:y_16x8_nv12.yuv" }
        << QStringList { "clip:z_16x8_gray.yuv" } << false << QString()
        << QStringList { "x_16x8_yuv420p.yuv", "y_16x8_nv12.yuv", "z_16x8_gray.yuv" };
}

void TestOpenFlow::refusalsShowInOneMessage()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, closedBetween);
    QFETCH(QString, message);
    QFETCH(QStringList, listed);

    // A folder of the row's own, so that no row finds another's files.
    static int row = 0;
    const std::string folder = dir.filePath("refused" + std::to_string(++row));
    QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
    auto pathsOf = [&folder](const QStringList &files) {
        std::vector<std::string> paths;
        for (const QString &file : files) {
            const QString kind = file.section(QLatin1Char(':'), 0, -2);
            const std::string path
                = folder + '/' + file.section(QLatin1Char(':'), -1).toStdString();
            if (kind == QLatin1String("dir"))
                ::mkdir(path.c_str(), 0700);
            else if (kind == QLatin1String("fifo"))
                ::mkfifo(path.c_str(), 0600);
            else if (kind == QLatin1String("clip"))
                testclips::writeClip(path, YV12, 16, 8, 3);
            paths.push_back(path);
        }
        return paths;
    };

    MainWindow &window = MainWindow::instance();
    window.openFiles(pathsOf(first));
    if (closedBetween) {
        QCOMPARE(refusalMessages().size(), 1);
        QTest::mouseClick(refusalMessages().front()->button(QMessageBox::Ok), Qt::LeftButton);
        QTRY_VERIFY(refusalMessages().isEmpty());
    }
    window.openFiles(pathsOf(second));

    QVERIFY(!ImageOpenDialog::instance().isVisible());
    const QList<QMessageBox *> shown = refusalMessages();
    if (message.isEmpty()) {
        QCOMPARE(shown.size(), 0);
    } else {
        QCOMPARE(shown.size(), 1);
        QMessageBox *box = shown.front();
        QCOMPARE(
            box->text(), message.replace(QStringLiteral("%d"), QString::fromStdString(folder)));
        QCOMPARE(box->windowTitle(), QStringLiteral("Files not opened"));
        QVERIFY(box->isVisible());
        // The videos that did open can be used while it is up.
        QCOMPARE(box->windowModality(), Qt::NonModal);
    }
    QStringList names;
    for (int i = 0; i < videoCount(); ++i)
        names << videoList()->item(i)->text();
    QCOMPARE(names, listed);
}

void TestOpenFlow::y4mFilesOpenWithoutTheDialog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("header");
    // "drop", "open" (the Open button and its chooser) or "files" (as the command line
    // opens them, with the -s and -f of the next two columns).
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("askedSize");
    QTest::addColumn<QString>("askedFormat");
    // The message's text, "%f" the file's path; empty when the file opens.
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("scan");
    // -r for "files"; the matrix and range that Video Info shows.
    QTest::addColumn<QString>("askedRange");
    QTest::addColumn<QString>("colour");

    const QByteArray plain = "YUV4MPEG2 W16 H8 F25:1 Ip A1:1 C420jpeg XYSCSS=420JPEG\n";
    QTest::newRow("dropped with a raw file's name, its fractional rate shown, interlaced")
        << "dropped.yuv" << QByteArray("YUV4MPEG2 W16 H8 F30000:1001 It C420jpeg\n") << "drop"
        << ""
        << ""
        << ""
        << "29.97" << int(Interlaced) << ""
        << "BT.601 limited";
    QTest::newRow("chosen with Open") << "chosen.y4m" << plain << "open"
                                      << ""
                                      << ""
                                      << ""
                                      << "25" << int(Progressive) << ""
                                      << "BT.601 limited";
    QTest::newRow("a size and layout in the name yield to the header")
        << "named_32x16_nv12.yuv" << plain << "files"
        << ""
        << ""
        << ""
        << "25" << int(Progressive) << ""
        << "BT.601 limited";
    QTest::newRow("-s and -f that agree with the header; F50:2 shows as 25")
        << "agreed.y4m" << QByteArray("YUV4MPEG2 W16 H8 F50:2 C420mpeg2\n") << "files"
        << "16x8"
        << "yuv420p"
        << ""
        << "25" << int(Progressive) << ""
        << "BT.601 limited";
    QTest::newRow("-s that disagrees is refused")
        << "sized.y4m" << plain << "files"
        << "32x8"
        << ""
        << "%f: -s 32x8 disagrees with its y4m header, which says 16x8."
        << "" << 0 << ""
        << "";
    QTest::newRow("-f that disagrees is refused")
        << "layout.y4m" << plain << "files"
        << ""
        << "nv12"
        << "%f: -f nv12 disagrees with its y4m header, which says yuv420p."
        << "" << 0 << ""
        << "";
    QTest::newRow("a header without W is refused")
        << "nowidth.y4m" << QByteArray("YUV4MPEG2 H8 C420jpeg\n") << "files"
        << ""
        << ""
        << "%f: The y4m header gives no width (W)."
        << "" << 0 << ""
        << "";
    // Only the options count beside a header: the name's words do not.
    const QByteArray full = "YUV4MPEG2 W16 H8 F25:1 C420jpeg XCOLORRANGE=FULL\n";
    QTest::newRow("XCOLORRANGE=FULL gives full range") << "full_bt709.y4m" << full << "files"
                                                       << ""
                                                       << ""
                                                       << ""
                                                       << "25" << int(Progressive) << ""
                                                       << "BT.601 full";
    QTest::newRow("-r wins over XCOLORRANGE") << "limited.y4m" << full << "files"
                                              << ""
                                              << ""
                                              << ""
                                              << "25" << int(Progressive) << "tv"
                                              << "BT.601 limited";
}

void TestOpenFlow::y4mFilesOpenWithoutTheDialog()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, header);
    QFETCH(QString, way);
    QFETCH(QString, askedSize);
    QFETCH(QString, askedFormat);
    QFETCH(QString, refusal);
    QFETCH(QString, speed);
    QFETCH(int, scan);
    QFETCH(QString, askedRange);
    QFETCH(QString, colour);

    // Two frames of 16 x 8 yuv420p, the second's samples 7 and the first's 9.
    const std::string path = dir.filePath(name.toStdString());
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + "FRAME\n" + QByteArray(192, 9) + "FRAME Ip\n" + QByteArray(192, 7));
    file.close();

    MainWindow &window = MainWindow::instance();
    if (way == QLatin1String("drop")) {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(QString::fromStdString(path)) });
        const QPoint onList = mainWidget<QWidget>("lwImageItems")->geometry().center();
        QDragEnterEvent enter(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QVERIFY(drop.isAccepted());
    } else if (way == QLatin1String("open")) {
        ChooserSeen seen;
        typeInChooser(QString::fromStdString(path), &seen);
        click("pbOpenImage");
    } else {
        AskedParameters asked;
        if (!askedSize.isEmpty())
            asked.size = frameSizeNamed(askedSize.toStdString());
        if (!askedFormat.isEmpty())
            asked.format = layoutNamed(askedFormat.toStdString())->format;
        if (!askedRange.isEmpty())
            asked.range = colourRangeNamed(askedRange.toStdString());
        window.openFiles({ path }, asked);
    }

    QVERIFY(!ImageOpenDialog::instance().isVisible());
    if (!refusal.isEmpty()) {
        QCOMPARE(videoCount(), 0);
        QCOMPARE(refusalMessages().size(), 1);
        QCOMPARE(refusalMessages().front()->text(),
            refusal.replace(QStringLiteral("%f"), QString::fromStdString(path)));
        return;
    }
    QCOMPARE(refusalMessages().size(), 0);
    QCOMPARE(videoCount(), 1);
    ImageView *view = videoAt(0);
    QCOMPARE(view->windowTitle(), name + QStringLiteral(" - 0/2"));
    QCOMPARE(view->document().format().width(), 16);
    QCOMPARE(view->document().format().pixelFormat(), int(YV12));
    QCOMPARE(view->document().scan(), scan);
    QCOMPARE(view->document().frame().y()[0], std::uint8_t(9));
    QCOMPARE(shownText("labelVideoInfoSpeed"), speed);
    QCOMPARE(shownText("labelVideoInfoSize"), QStringLiteral("16 x 8"));
    QCOMPARE(shownText("labelVideoInfoColour"), colour);
}

// What a desktop's file chooser gives back for a name that is not UTF-8 is its text, with
// a replacement character for each such byte; Qt's own chooser will not take such a name.
void TestOpenFlow::chosenNameFindsTheFileByItsBytes_data()
{
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QByteArray>("alsoOnDisk");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QByteArray>("opened");

    const QString replaced = QStringLiteral("\uFFFD");
    QTest::newRow("a name that is not UTF-8 is found by its bytes")
        << QByteArray("c_\xff\xfe.yuv") << QByteArray() << "c_" + replaced + replaced + ".yuv"
        << QByteArray("c_\xff\xfe.yuv");
    QTest::newRow("a folder that is not UTF-8 too")
        << QByteArray("d_\xe9/clip.yuv") << QByteArray() << "d_" + replaced + "/clip.yuv"
        << QByteArray("d_\xe9/clip.yuv");
    QTest::newRow("a UTF-8 name as it is spelt")
        << QByteArray("\xc3\xa9t\xc3\xa9.yuv") << QByteArray()
        << QStringLiteral("\u00e9t\u00e9.yuv") << QByteArray("\xc3\xa9t\xc3\xa9.yuv");
    QTest::newRow("two names that read the same: neither, the text as spelt")
        << QByteArray("e_\xff.yuv") << QByteArray("e_\xfe.yuv") << "e_" + replaced + ".yuv"
        << ("e_" + replaced + ".yuv").toUtf8();
}

void TestOpenFlow::chosenNameFindsTheFileByItsBytes()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, alsoOnDisk);
    QFETCH(QString, chosen);
    QFETCH(QByteArray, opened);
    const std::string folder = dir.path() + "/chosen";
    QCOMPARE(::mkdir(folder.c_str(), 0700), 0);
    for (const QByteArray &name : { onDisk, alsoOnDisk }) {
        if (name.isEmpty())
            continue;
        const std::string path = folder + '/' + name.toStdString();
        if (name.contains('/'))
            QCOMPARE(::mkdir(path.substr(0, path.rfind('/')).c_str(), 0700), 0);
        QVERIFY(testclips::writeClip(path, YV12, 16, 8, 1));
    }

    QCOMPARE(chosenFileBytes(QFile::decodeName(QByteArray::fromStdString(folder)) + '/' + chosen),
        folder + '/' + opened.toStdString());
    std::filesystem::remove_all(folder);
}

QTEST_MAIN(TestOpenFlow)
#include "test_openflow.moc"
