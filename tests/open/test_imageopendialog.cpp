#include "apptesting.h"
#include "dialogtesting.h"
#include "imageopendialog.h"
#include "imageview.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace apptesting;
using namespace dialogtesting;

namespace {

struct DialogRow
{
    const char *name;
    const char *className;
    const char *parent;
    QRect geometry;
    const char *text;
};

// The dialog's widgets in creation order, labelMessage last in its group.
const DialogRow dialogRows[] = {
    { "bbConfirmation", "QDialogButtonBox", "ImageOpenDialog", { 90, 240, 161, 32 }, nullptr },
    { "tabWidget", "QTabWidget", "ImageOpenDialog", { 10, 10, 241, 221 }, nullptr },
    { "groupBox_2", "QGroupBox", "tab", { 12, 20, 211, 161 }, "" },
    { "label_4", "QLabel", "groupBox_2", { 10, 65, 41, 20 }, "Width:" },
    { "label_5", "QLabel", "groupBox_2", { 10, 90, 41, 16 }, "Height:" },
    { "label_6", "QLabel", "groupBox_2", { 9, 39, 51, 16 }, "Format:" },
    { "label_7", "QLabel", "groupBox_2", { 10, 13, 41, 16 }, "Scan:" },
    { "leImageWidth", "QLineEdit", "groupBox_2", { 60, 64, 81, 20 }, "" },
    { "leImageHeight", "QLineEdit", "groupBox_2", { 60, 90, 81, 20 }, "" },
    { "label_8", "QLabel", "groupBox_2", { 10, 118, 41, 16 }, "Speed:" },
    { "leImageSpeed", "QLineEdit", "groupBox_2", { 60, 117, 61, 20 }, "" },
    { "label_3", "QLabel", "groupBox_2", { 124, 120, 21, 16 }, "fps" },
    { "comboBoxScan", "QComboBox", "groupBox_2", { 60, 10, 81, 22 }, nullptr },
    { "comboBoxFormat", "QComboBox", "groupBox_2", { 60, 38, 81, 20 }, nullptr },
    { "labelMessage", "QLabel", "groupBox_2", { 10, 139, 195, 18 }, "" },
};

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

struct Answer
{
    QString width;
    QString height;
    QString speed;
    int scan = 0;
    int format = 0;
};

void fillIn(const Answer &answer)
{
    typeInto("leImageWidth", answer.width);
    typeInto("leImageHeight", answer.height);
    typeInto("leImageSpeed", answer.speed);
    dialogWidget<QComboBox>("comboBoxScan")->setCurrentIndex(answer.scan);
    dialogWidget<QComboBox>("comboBoxFormat")->setCurrentIndex(answer.format);
}

// Shows the dialog for `path`, fills it in and presses OK.
void openWith(const std::string &path, const Answer &answer)
{
    ImageOpenDialog::instance().showForFile(path);
    fillIn(answer);
    pressDialogButton(QDialogButtonBox::Ok);
}

const Answer clip16x8 { "16", "8", "25" };

// Where a widget draws its text, by the style's own geometry, clipped to what its
// parents leave visible; and the text it draws there.
struct TextRoom
{
    QRect room;
    QStringList texts;
    int flags = Qt::AlignLeft | Qt::AlignVCenter;
};

TextRoom labelRoom(const QLabel *label)
{
    QRect room = label->contentsRect().adjusted(
        label->margin(), label->margin(), -label->margin(), -label->margin());
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label->margin();
    if (indent > 0) {
        const Qt::Alignment align = label->alignment();
        room.adjust(align & Qt::AlignLeft ? indent : 0, align & Qt::AlignTop ? indent : 0,
            align & Qt::AlignRight ? -indent : 0, align & Qt::AlignBottom ? -indent : 0);
    }
    return { room, { label->text() }, int(label->alignment()) };
}

TextRoom buttonRoom(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    int flags = Qt::AlignCenter;
    if (qobject_cast<const QCheckBox *>(button)) {
        contents = QStyle::SE_CheckBoxContents;
        flags = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (qobject_cast<const QRadioButton *>(button)) {
        contents = QStyle::SE_RadioButtonContents;
        flags = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (auto *push = qobject_cast<const QPushButton *>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    }
    return { button->style()->subElementRect(contents, &option, button), { button->text() },
        flags | Qt::TextShowMnemonic };
}

TextRoom groupBoxRoom(const QGroupBox *box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label
        = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    // The style sizes the title's rectangle to the text; it must stay inside the box.
    return { label.intersected(box->rect()), { box->title() }, Qt::AlignCenter };
}

TextRoom comboRoom(const QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    option.subControls = QStyle::SC_All;
    const QRect field = combo->style()->subControlRect(
        QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return { field.adjusted(1, 0, -1, 0), items };
}

TextRoom lineEditRoom(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame()
        ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
        : 0;
    option.state |= QStyle::State_Sunken;
    const QMargins margins = edit->textMargins();
    // QLineEdit keeps two pixels either side of its text and one above and below.
    const QRect room = edit->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                           .marginsRemoved(margins)
                           .adjusted(2, 1, -2, -1);
    return { room, { edit->text() } };
}

TextRoom tabRoom(const QTabBar *bar)
{
    // Tabs size themselves to their texts; they fit while the bar needs no scrolling.
    QStringList texts;
    QRect tabs;
    for (int i = 0; i < bar->count(); ++i) {
        texts << bar->tabText(i);
        tabs |= bar->tabRect(i);
    }
    return { bar->rect().contains(tabs) ? bar->rect() : QRect(), texts, Qt::AlignCenter };
}

std::optional<TextRoom> textRoom(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return labelRoom(label);
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return buttonRoom(button);
    if (auto *box = qobject_cast<const QGroupBox *>(widget))
        return groupBoxRoom(box);
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return comboRoom(combo);
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return lineEditRoom(edit);
    if (auto *bar = qobject_cast<const QTabBar *>(widget))
        return tabRoom(bar);
    return std::nullopt;
}

// "name: 'text' needs W x H, has W x H" for each text that does not fit; `spare` pixels
// must stay free to the right of the text.
QStringList misfits(const QWidget *widget, int spare = 0)
{
    const std::optional<TextRoom> place = textRoom(widget);
    if (!place)
        return {};
    const QRect room = place->room.intersected(widget->visibleRegion().boundingRect());
    const QFontMetrics metrics = widget->fontMetrics();
    QStringList found;
    for (const QString &text : place->texts) {
        if (text.isEmpty())
            continue;
        // A line is as high as its ink: a 16-pixel field shows digits and lower case
        // whole although the font's line is taller.
        const QRect box = metrics.boundingRect(room, place->flags, text);
        const bool lines = text.contains(QLatin1Char('\n'));
        const QSize needed(
            box.width() + spare, lines ? box.height() : metrics.tightBoundingRect(text).height());
        if (needed.width() > room.width() || needed.height() > room.height())
            found << QStringLiteral("%1: '%2' needs %3 x %4, has %5 x %6")
                         .arg(widget->objectName(),
                             QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')))
                         .arg(needed.width())
                         .arg(needed.height())
                         .arg(room.width())
                         .arg(room.height());
    }
    return found;
}

// The process's address space in bytes, as RLIMIT_AS counts it.
qint64 addressSpace()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

bool limitAddressSpace(qint64 bytes)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_AS, &limit) != 0)
        return false;
    limit.rlim_cur = rlim_t(bytes);
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

QStringList misfitsIn(const QWidget *window)
{
    QStringList found;
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->isVisibleTo(window))
            found << misfits(widget);
    }
    return found;
}

} // namespace

class TestImageOpenDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void formMatchesTable_data();
    void formMatchesTable();
    void dialogFrameAndPages();
    void combosOfferTheirChoices();
    void labelsAreBoldButFps();
    void messageLabelCoversNoField();
    void buttonBoxCarriesOkAndCancel();
    void startsEmptyAtFirstUse();
    void showForFileReturnsAtOnceModal();
    void okListsTheVideo_data();
    void okListsTheVideo();
    void badFrameSizeIsRefused_data();
    void badFrameSizeIsRefused();
    void refusedOkCanBeMendedAndRepeated();
    void badFileIsRefused_data();
    void badFileIsRefused();
    void unreadableFileIsRefused();
    void longFileNameGivesUpItsMiddle();
    void everyTextFitsItsWidget();
    void tooLargeForMemoryIsRefused();
    void tooLargeForMemoryChild();
    void valuesSurviveBetweenOpens();
    void cancelAddsNothing();
    void escapeAddsNothing();
    void largeFileListsItsTrueFrameCount_data();
    void largeFileListsItsTrueFrameCount();
    void nonAsciiNameOpens();
    void releaseDestroysTheDialog();

private:
    TempDir dir;
};

void TestImageOpenDialog::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestImageOpenDialog::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestImageOpenDialog::cleanup()
{
    ImageOpenDialog::instance().hide();
    closeAllVideos();
}

void TestImageOpenDialog::formMatchesTable_data()
{
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(dialogRows)); ++row)
        QTest::newRow(dialogRows[row].name) << row;
}

void TestImageOpenDialog::formMatchesTable()
{
    QFETCH(int, row);
    const DialogRow &expected = dialogRows[row];
    auto *widget = dialogWidget<QWidget>(expected.name);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject()->className(), expected.className);
    QCOMPARE(widget->parentWidget()->objectName(), QLatin1String(expected.parent));
    QCOMPARE(widget->geometry(), expected.geometry);
    if (expected.text)
        QCOMPARE(shownText(widget), QString::fromUtf8(expected.text));
    // Creation order: each widget is created after the one before it in its parent.
    if (row > 0 && QLatin1String(dialogRows[row - 1].parent) == QLatin1String(expected.parent)) {
        const QObjectList siblings = widget->parentWidget()->children();
        auto *previous = dialogWidget<QWidget>(dialogRows[row - 1].name);
        QVERIFY(siblings.indexOf(previous) < siblings.indexOf(widget));
    }
}

void TestImageOpenDialog::dialogFrameAndPages()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    QCOMPARE(dialog.objectName(), QStringLiteral("ImageOpenDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Video parameters"));
    QCOMPARE(dialog.size(), QSize(259, 275));
    QVERIFY(!dialog.parentWidget());

    auto *tabs = dialogWidget<QTabWidget>("tabWidget");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("General"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Advanced"));
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("tab"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("tab_2"));
    QVERIFY(tabs->widget(1)->findChildren<QWidget *>().isEmpty());
}

void TestImageOpenDialog::combosOfferTheirChoices()
{
    QCOMPARE(itemsOf(dialogWidget<QComboBox>("comboBoxScan")),
        QStringList({ "Progressive", "Interlaced" }));
    QCOMPARE(itemsOf(dialogWidget<QComboBox>("comboBoxFormat")), QStringList({ "YV12", "UYVY" }));
}

void TestImageOpenDialog::labelsAreBoldButFps()
{
    for (const char *name : { "label_4", "label_5", "label_6", "label_7", "label_8" })
        QVERIFY2(dialogWidget<QLabel>(name)->font().bold(), name);
    QVERIFY(!dialogWidget<QLabel>("label_3")->font().bold());
}

void TestImageOpenDialog::messageLabelCoversNoField()
{
    auto *message = dialogWidget<QLabel>("labelMessage");
    const QWidget *group = message->parentWidget();
    QVERIFY(group->rect().contains(message->geometry()));
    for (const QWidget *other : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != message)
            QVERIFY2(!other->geometry().intersects(message->geometry()),
                qPrintable(other->objectName()));
    }
}

void TestImageOpenDialog::buttonBoxCarriesOkAndCancel()
{
    auto *box = dialogWidget<QDialogButtonBox>("bbConfirmation");
    QCOMPARE(box->orientation(), Qt::Horizontal);
    QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

void TestImageOpenDialog::startsEmptyAtFirstUse()
{
    for (const char *name : { "leImageWidth", "leImageHeight", "leImageSpeed" })
        QVERIFY2(dialogWidget<QLineEdit>(name)->text().isEmpty(), name);
    QCOMPARE(dialogWidget<QComboBox>("comboBoxScan")->currentIndex(), 0);
    QCOMPARE(dialogWidget<QComboBox>("comboBoxFormat")->currentIndex(), 0);
    QVERIFY(shownMessage().isEmpty());
}

void TestImageOpenDialog::showForFileReturnsAtOnceModal()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(writeClip(dir, "modal.yuv", YV12, 16, 8, 2).path);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(QApplication::activeModalWidget(), &dialog);
    QCOMPARE(videoCount(), 0);
}

void TestImageOpenDialog::okListsTheVideo_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("scanIndex");
    QTest::addColumn<int>("formatIndex");
    QTest::addColumn<int>("fileFormat");
    QTest::addColumn<int>("wholeFrames");
    QTest::addColumn<int>("extraBytes");
    QTest::addColumn<int>("scan");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("speedValue");
    QTest::addColumn<QString>("formatShown");

    QTest::newRow("YV12, progressive")
        << "16"
        << "8"
        << "25" << 0 << 0 << int(YV12) << 10 << 0 << int(Progressive) << int(YV12) << 25 << "YV12";
    QTest::newRow("UYVY, interlaced")
        << "16"
        << "8"
        << "30" << 1 << 1 << int(UYVY) << 4 << 0 << int(Interlaced) << int(UYVY) << 30 << "UYVY";
    QTest::newRow("speed that is not a number is 0")
        << "16"
        << "8"
        << "fast" << 0 << 0 << int(YV12) << 3 << 0 << int(Progressive) << int(YV12) << 0 << "YV12";
    QTest::newRow("a trailing partial frame is ignored")
        << "16"
        << "8"
        << "25" << 0 << 0 << int(YV12) << 5 << 191 << int(Progressive) << int(YV12) << 25 << "YV12";
    QTest::newRow("a file shorter than one frame lists 0 frames")
        << "16"
        << "8"
        << "25" << 0 << 0 << int(YV12) << 0 << 191 << int(Progressive) << int(YV12) << 25 << "YV12";
    QTest::newRow("spaces around the numbers")
        << " 16 "
        << " 8"
        << "25 " << 0 << 0 << int(YV12) << 2 << 0 << int(Progressive) << int(YV12) << 25 << "YV12";
}

void TestImageOpenDialog::okListsTheVideo()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, speed);
    QFETCH(int, scanIndex);
    QFETCH(int, formatIndex);
    QFETCH(int, fileFormat);
    QFETCH(int, wholeFrames);
    QFETCH(int, extraBytes);
    QFETCH(int, scan);
    QFETCH(int, format);
    QFETCH(int, speedValue);
    QFETCH(QString, formatShown);

    const std::string path = writeClip(dir, "ok.yuv", fileFormat, 16, 8, wholeFrames).path;
    const std::vector<std::uint8_t> tail(extraBytes, 7);
    QVERIFY(testfiles::writeAt(
        path, QFileInfo(QString::fromStdString(path)).size(), tail.data(), tail.size()));

    openWith(path, { width, height, speed, scanIndex, formatIndex });

    QVERIFY(!ImageOpenDialog::instance().isVisible());
    QVERIFY(shownMessage().isEmpty());
    QCOMPARE(videoCount(), 1);
    ImageView *view = videoAt(0);
    QCOMPARE(view->document().path(), path);
    QCOMPARE(view->document().format().width(), 16);
    QCOMPARE(view->document().format().height(), 8);
    QCOMPARE(view->document().scan(), scan);
    QCOMPARE(view->document().format().pixelFormat(), format);
    QCOMPARE(view->document().speed(), speedValue);
    QCOMPARE(view->frameCount(), wholeFrames);
    QCOMPARE(videoList()->item(0)->text(), QStringLiteral("ok.yuv"));
    QCOMPARE(view->windowTitle(), QStringLiteral("ok.yuv - 0/%1").arg(wholeFrames));
    QVERIFY(view->isVisible());
    QCOMPARE(shownText("labelVideoInfoSize"), QStringLiteral("16 x 8"));
    QCOMPARE(shownText("labelVideoInfoFormat"), formatShown);
    QCOMPARE(shownText("labelVideoInfoSpeed"), QString::number(speedValue));
}

void TestImageOpenDialog::badFrameSizeIsRefused_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("message");

    const QString widthNotPositive = "Width: enter a whole number above 0.";
    const QString heightNotPositive = "Height: enter a whole number above 0.";
    QTest::newRow("empty fields") << ""
                                  << "" << widthNotPositive;
    QTest::newRow("empty height") << "16"
                                  << "" << heightNotPositive;
    QTest::newRow("width 0") << "0"
                             << "8" << widthNotPositive;
    QTest::newRow("height 0") << "16"
                              << "0" << heightNotPositive;
    QTest::newRow("negative width") << "-16"
                                    << "8" << widthNotPositive;
    QTest::newRow("negative height") << "16"
                                     << "-8" << heightNotPositive;
    QTest::newRow("0x10 is not base 10") << "0x10"
                                         << "8" << widthNotPositive;
    QTest::newRow("text for a width") << "wide"
                                      << "8" << widthNotPositive;
    QTest::newRow("text for a height") << "16"
                                       << "eight" << heightNotPositive;
    QTest::newRow("beyond 32 bits") << "4294967312"
                                    << "8" << widthNotPositive;
    QTest::newRow("odd width") << "15"
                               << "8"
                               << "Width must be even.";
    QTest::newRow("odd height") << "16"
                                << "9"
                                << "Height must be even.";
    QTest::newRow("width past 16384") << "16386"
                                      << "8"
                                      << "Width must be at most 16384.";
    QTest::newRow("height 16386") << "16"
                                  << "16386"
                                  << "Height must be at most 16384.";
    QTest::newRow("height past 16384") << "16"
                                       << "20000"
                                       << "Height must be at most 16384.";
    QTest::newRow("width checked before height") << "15"
                                                 << "0"
                                                 << "Width must be even.";
}

void TestImageOpenDialog::badFrameSizeIsRefused()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, message);

    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    openWith(writeClip(dir, "size.yuv", YV12, 16, 8, 4).path, { width, height, "25" });

    QCOMPARE(shownMessage(), message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), &dialog);
    QCOMPARE(videoCount(), 0);
}

void TestImageOpenDialog::refusedOkCanBeMendedAndRepeated()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    openWith(writeClip(dir, "mend.yuv", YV12, 16, 8, 4).path, { "17", "8", "25" });
    QCOMPARE(shownMessage(), QStringLiteral("Width must be even."));

    typeInto("leImageWidth", "16");
    pressDialogButton(QDialogButtonBox::Ok);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoAt(0)->frameCount(), 4);

    // The next Open starts without the old message.
    dialog.showForFile(writeClip(dir, "next.yuv", YV12, 16, 8, 1).path);
    QVERIFY(shownMessage().isEmpty());
}

void TestImageOpenDialog::badFileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("vanished") << "vanished"
                              << "bad.yuv cannot be found.";
    QTest::newRow("dangling link") << "link"
                                   << "bad.yuv cannot be found.";
    QTest::newRow("directory") << "directory"
                               << "bad.yuv is not a regular file.";
    QTest::newRow("FIFO") << "fifo"
                          << "bad.yuv is not a regular file.";
}

void TestImageOpenDialog::badFileIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);

    TempDir place;
    const std::string path = place.filePath("bad.yuv");
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    if (kind == "vanished") {
        QVERIFY(testfiles::writeFile(path, std::vector<std::uint8_t>(192 * 3, 0)));
        dialog.showForFile(path);
        QVERIFY(testfiles::removeFile(path));
    } else {
        if (kind == "link")
            QVERIFY(::symlink(place.filePath("gone.yuv").c_str(), path.c_str()) == 0);
        else if (kind == "directory")
            QVERIFY(::mkdir(path.c_str(), 0700) == 0);
        else
            QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
        dialog.showForFile(path);
    }
    fillIn(clip16x8);
    pressDialogButton(QDialogButtonBox::Ok);

    QCOMPARE(shownMessage(), message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(videoCount(), 0);
}

void TestImageOpenDialog::unreadableFileIsRefused()
{
    // Root reads a file whatever its bits, but not a write-only kernel setting.
    std::string path = "/proc/sys/vm/compact_memory";
    if (::geteuid() != 0) {
        path = writeClip(dir, "locked.yuv", YV12, 16, 8, 2).path;
        QVERIFY(::chmod(path.c_str(), 0) == 0);
    } else if (!QFileInfo::exists(QString::fromStdString(path))) {
        QSKIP("no write-only file that root cannot read");
    }
    openWith(path, clip16x8);
    QCOMPARE(shownMessage(),
        QFileInfo(QString::fromStdString(path)).fileName() + QStringLiteral(" cannot be read."));
    QCOMPARE(videoCount(), 0);
}

void TestImageOpenDialog::longFileNameGivesUpItsMiddle()
{
    TempDir place;
    const std::string name = std::string(200, 'a') + "-end";
    const std::string path = place.filePath(name);
    QVERIFY(::mkdir(path.c_str(), 0700) == 0);
    openWith(path, clip16x8);

    const QString message = shownMessage();
    QVERIFY2(message.startsWith("aaa"), qPrintable(message));
    QVERIFY2(message.endsWith("-end is not a regular file."), qPrintable(message));
    QVERIFY(message.contains(QChar(0x2026)));
    auto *label = dialogWidget<QLabel>("labelMessage");
    QVERIFY(label->fontMetrics().horizontalAdvance(message) <= label->width());
}

void TestImageOpenDialog::everyTextFitsItsWidget()
{
    QStringList found;
    ImageView *video = addClip(dir, "fit.yuv", YV12, 64, 32, 1);
    mainWidget<QLabel>("labelVideoInfoSize")->setText(QStringLiteral("16384 x 16384"));
    mainWidget<QLabel>("labelVideoInfoColour")->setText(QStringLiteral("BT.2020 limited"));
    found << misfitsIn(&MainWindow::instance());
    // Video Info names each layout: the dialog's two as the dialog does, the others by
    // their ffmpeg names.
    const std::pair<std::int32_t, const char *> formatsShown[]
        = { { YV12, "YV12" }, { UYVY, "UYVY" }, { Planar422, "yuv422p" }, { Yvu420p, "yvu420p" },
              { Nv12, "nv12" }, { Nv21, "nv21" }, { Yuyv422, "yuyv422" }, { Uyvy422, "uyvy422" },
              { Yvyu422, "yvyu422" }, { Nv16, "nv16" }, { Yuv444p, "yuv444p" }, { Gray, "gray" },
              { Yuv420p10le, "yuv420p10le" }, { Yuv422p10le, "yuv422p10le" },
              { Yuv444p10le, "yuv444p10le" }, { Yuv420p12le, "yuv420p12le" },
              { Yuv422p12le, "yuv422p12le" }, { Yuv444p12le, "yuv444p12le" },
              { Gray10le, "gray10le" }, { Gray12le, "gray12le" }, { P010le, "p010le" } };
    for (const auto &[format, shown] : formatsShown) {
        addClip(dir, std::string("fit-") + shown + ".yuv", format, 64, 32, 1);
        QCOMPARE(shownText("labelVideoInfoFormat"), QString::fromLatin1(shown));
        found << misfits(mainWidget<QLabel>("labelVideoInfoFormat"));
    }

    video->setTooltipEnabled(true);
    QWidget *viewport = video->findChild<QGraphicsView *>("gvVideoDisplay")->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)),
        Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QVERIFY(video->pixelLabel()->isVisible());
    // 12-bit samples show four digits.
    video->pixelLabel()->setText(
        QStringLiteral(" X = 16383\n Y = 16383\n BT.2020 limited\n Y = 4095   R = 255\n U = "
                       "4095   G = 255\n V = 4095   B = 255"));
    // The lines open with a blank; the widest one keeps as much room at its end.
    found << misfits(video->pixelLabel(),
        video->pixelLabel()->fontMetrics().horizontalAdvance(QLatin1Char(' ')));

    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(writeClip(dir, "size.yuv", YV12, 16, 8, 1).path);
    found << misfitsIn(&dialog);

    auto *message = dialogWidget<QLabel>("labelMessage");
    const QStringList sizes[] = { { "", "8" }, { "16", "" }, { "15", "8" }, { "16", "9" },
        { "16386", "8" }, { "16", "20000" } };
    for (const QStringList &size : sizes) {
        fillIn({ size[0], size[1], "25" });
        pressDialogButton(QDialogButtonBox::Ok);
        QVERIFY(!message->text().isEmpty());
        found << misfits(message);
    }

    TempDir place;
    const std::string longName = std::string(120, 'n') + ".yuv";
    QVERIFY(::mkdir(place.filePath(longName).c_str(), 0700) == 0);
    const std::string files[] = { place.filePath("gone-" + longName), place.filePath(longName) };
    for (const std::string &path : files) {
        dialog.showForFile(path);
        fillIn(clip16x8);
        pressDialogButton(QDialogButtonBox::Ok);
        QVERIFY2(message->toolTip().startsWith(QFileInfo(QString::fromStdString(path)).fileName()),
            qPrintable(message->toolTip()));
        QCOMPARE(message->toolTip().section(QLatin1Char(' '), 1),
            message->text().section(QLatin1Char(' '), 1));
        found << misfits(message);
    }
    // A dialog for a file named outside it names the file, shortened in the middle.
    const std::string named = place.filePath(std::string(120, 'm') + "-end.yuv");
    dialog.askAboutFile(named, OpenPlan());
    QVERIFY2(message->text().startsWith(QStringLiteral("File: mmm")), qPrintable(message->text()));
    QVERIFY2(message->text().endsWith(QStringLiteral("-end.yuv")), qPrintable(message->text()));
    QCOMPARE(
        message->toolTip(), QStringLiteral("File: ") + QString(120, QLatin1Char('m')) + "-end.yuv");
    found << misfits(message);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void TestImageOpenDialog::tooLargeForMemoryIsRefused()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves far more address space than the limit leaves");
#endif
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTAVO_MEMORY_CHILD"), QStringLiteral("1"));
    // One arena: glibc answers a failed allocation by reserving another 64 MB one.
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), { "tooLargeForMemoryChild" });
    QVERIFY(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output);
    QVERIFY2(output.contains("PASS   : TestImageOpenDialog::tooLargeForMemoryChild()"), output);
}

// Runs in the child process, whose address space it limits: a 16384 x 16384 YV12 frame
// takes 1.2 GB of planes and a 1 GB picture.
void TestImageOpenDialog::tooLargeForMemoryChild()
{
    if (!qEnvironmentVariableIsSet("ZENTAVO_MEMORY_CHILD"))
        QSKIP("runs only as the child of tooLargeForMemoryIsRefused");
    TempDir place;
    const std::string path = place.filePath("huge.yuv");
    QVERIFY(testfiles::makeSparseFile(path, frameSize(YV12, 16384, 16384)));
    auto *message = dialogWidget<QLabel>("labelMessage");
    const qint64 before = addressSpace();
    constexpr qint64 megabyte = 1 << 20;
    // Room for four of the six planes, then for all the planes but not the picture.
    for (const qint64 room : { 700 * megabyte, 1600 * megabyte }) {
        QVERIFY(limitAddressSpace(before + room));
        openWith(path, { "16384", "16384", "25" });
        QCOMPARE(shownMessage(), QStringLiteral("Not enough memory for 16384 x 16384."));
        // The frame's planes and picture, and the room that the program keeps to run in.
        QCOMPARE(dialogWidget<QLabel>("labelMessage")->toolTip(),
            QStringLiteral("Not enough memory for 16384 x 16384. Its frame takes 1408 MB, and "
                           "the program needs 512 MB more to go on running."));
        QVERIFY(misfits(message).isEmpty());
        QVERIFY(ImageOpenDialog::instance().isVisible());
        QCOMPARE(videoCount(), 0);
        QVERIFY2(addressSpace() < before + 16 * megabyte,
            qPrintable(QStringLiteral("%1 MB kept").arg((addressSpace() - before) / megabyte)));
    }
    // Deeper samples take words: 16384 x 16384 yuv420p10le needs 2.5 GB, more than this
    // room, which would hold the planes of the 8-bit frame.
    const std::string deep = place.filePath("huge10.yuv");
    QVERIFY(testfiles::makeSparseFile(deep, frameSize(Yuv420p10le, 16384, 16384)));
    QVERIFY(limitAddressSpace(before + 2300 * megabyte));
    OpenPlan plan;
    plan.size = FrameDimensions { 16384, 16384 };
    plan.format = Yuv420p10le;
    QCOMPARE(MainWindow::instance().openStraightAway(deep, plan),
        QString::fromStdString(deep)
            + QStringLiteral(": Not enough memory for 16384 x 16384. Its frame takes 1792 MB, and "
                             "the program needs 512 MB more to go on running."));
    QCOMPARE(videoCount(), 0);
    QVERIFY(addressSpace() < before + 16 * megabyte);

    openWith(writeClip(dir, "after.yuv", YV12, 16, 8, 2).path, clip16x8);
    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoAt(0)->windowTitle(), QStringLiteral("after.yuv - 0/2"));
}

void TestImageOpenDialog::valuesSurviveBetweenOpens()
{
    openWith(writeClip(dir, "first.yuv", UYVY, 32, 16, 2).path, { "32", "16", "30", 1, 1 });
    QCOMPARE(videoCount(), 1);

    ImageOpenDialog::instance().showForFile(writeClip(dir, "second.yuv", UYVY, 32, 16, 3).path);
    QCOMPARE(dialogWidget<QLineEdit>("leImageWidth")->text(), QStringLiteral("32"));
    QCOMPARE(dialogWidget<QLineEdit>("leImageHeight")->text(), QStringLiteral("16"));
    QCOMPARE(dialogWidget<QLineEdit>("leImageSpeed")->text(), QStringLiteral("30"));
    QCOMPARE(dialogWidget<QComboBox>("comboBoxScan")->currentIndex(), 1);
    QCOMPARE(dialogWidget<QComboBox>("comboBoxFormat")->currentIndex(), 1);
    // The values stay, the undo history of their typing does not: over a session of
    // openings it would only pile up.
    for (const char *field : { "leImageWidth", "leImageHeight", "leImageSpeed" })
        QVERIFY2(!dialogWidget<QLineEdit>(field)->isUndoAvailable(), field);

    pressDialogButton(QDialogButtonBox::Ok);
    QCOMPARE(videoCount(), 2);
    QCOMPARE(videoAt(1)->frameCount(), 3);
    QCOMPARE(videoAt(1)->document().format().pixelFormat(), int(UYVY));
    QCOMPARE(videoList()->item(1)->text(), QStringLiteral("second.yuv"));
}

void TestImageOpenDialog::cancelAddsNothing()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(writeClip(dir, "cancel.yuv", YV12, 16, 8, 2).path);
    fillIn(clip16x8);
    pressDialogButton(QDialogButtonBox::Cancel);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(videoCount(), 0);
    QVERIFY(QApplication::activeModalWidget() != &dialog);
}

void TestImageOpenDialog::escapeAddsNothing()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(writeClip(dir, "escape.yuv", YV12, 16, 8, 2).path);
    fillIn(clip16x8);
    QTest::keyClick(dialogWidget<QLineEdit>("leImageWidth"), Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(videoCount(), 0);
}

void TestImageOpenDialog::largeFileListsItsTrueFrameCount_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("frames");

    QTest::newRow("2 GiB") << (qint64(1) << 31) << 56488;
    QTest::newRow("5 GiB") << qint64(5) * 1024 * 1024 * 1024 << 141222;
}

void TestImageOpenDialog::largeFileListsItsTrueFrameCount()
{
    QFETCH(qint64, size);
    QFETCH(int, frames);

    TempDir place;
    const std::string path = place.filePath("big.yuv");
    QVERIFY(testfiles::makeSparseFile(path, size));
    openWith(path, { "176", "144", "25" });

    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoAt(0)->frameCount(), frames);
    QCOMPARE(shownText("leIntervalMax"), QString::number(frames - 1));
    QCOMPARE(videoAt(0)->windowTitle(), QStringLiteral("big.yuv - 0/%1").arg(frames));
}

void TestImageOpenDialog::nonAsciiNameOpens()
{
    const QString name = QStringLiteral("caf\u00e9 \u0432\u0438\u0434\u0435\u043e.yuv");
    const std::string path
        = QFile::encodeName(QString::fromStdString(dir.path()) + '/' + name).toStdString();
    QVERIFY(testclips::writeClip(path, YV12, 16, 8, 3));
    openWith(path, clip16x8);

    QVERIFY(shownMessage().isEmpty());
    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoAt(0)->frameCount(), 3);
    QCOMPARE(videoList()->item(0)->text(), name);
    QCOMPARE(videoAt(0)->windowTitle(), name + QStringLiteral(" - 0/3"));
}

void TestImageOpenDialog::releaseDestroysTheDialog()
{
    QPointer<ImageOpenDialog> first = &ImageOpenDialog::instance();
    ImageOpenDialog::releaseInstance();
    QVERIFY(first.isNull());
    ImageOpenDialog::releaseInstance();

    // A new dialog starts afresh.
    QVERIFY(dialogWidget<QLineEdit>("leImageWidth")->text().isEmpty());
}

QTEST_MAIN(TestImageOpenDialog)
#include "test_imageopendialog.moc"
