#include "apptesting.h"
#include "dialogtesting.h"
#include "imageopendialog.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "listwidgetitemext.h"
#include "sessionmodel.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"
#include "yuvreference.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <random>
#include <vector>

using namespace apptesting;
using namespace dialogtesting;
using imageviewtesting::tick;

// QVERIFY2 with the session's context, whose message is built only on failure.
#define CHECK(condition, message)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            QTest::qVerify(                                                                        \
                false, #condition, qPrintable(context() + (message)), __FILE__, __LINE__);         \
            return;                                                                                \
        }                                                                                          \
    } while (false)

namespace {

// Play timers get this interval, so that only the ticks the test calls ever happen.
constexpr int manualTicksOnly = 3600 * 1000;

// Past this many videos an open becomes a close, to keep every step cheap.
constexpr int mostVideos = 6;

const char *const componentButtons[]
    = { "rbCompColor", "rbCompY", "rbCompU", "rbCompV", "rbCompR", "rbCompG", "rbCompB" };

struct ClipFile
{
    const char *name;
    std::int32_t format;
    std::int32_t width;
    std::int32_t height;
    std::int32_t frames;
    // Bytes after the last whole frame; a clip of 0 frames holds only these.
    std::size_t tail;
    // Unwritten blocks that read as zeros: frames past 65535 cost no disk.
    bool sparse = false;
};

// Sizes that leave vector tails in every row kernel, names that need decoding, a
// file too short for one frame, one- and two-frame videos whose ends meet, and
// more frames than a 16-bit frame number reaches.
const ClipFile clipFiles[] = {
    { "plain.yuv", YV12, 16, 8, 5, 0 },
    { "with space.yuv", UYVY, 32, 16, 13, 7 },
    { "клип.yuv", YV12, 24, 12, 1, 0 },
    { "it's \"quoted\".yuv", UYVY, 16, 16, 2, 0 },
    { "long.yuv", YV12, 66, 34, 40, 100 },
    { "short.yuv", YV12, 16, 8, 0, 100 },
    { "sparse.yuv", UYVY, 16, 8, 70000, 0, true },
};

bool writeClipFile(const std::string &path, const ClipFile &file)
{
    const std::vector<std::uint8_t> tail(file.tail, 0x5a);
    if (file.sparse)
        return testfiles::makeSparseFile(
            path, std::int64_t { file.frames } * frameSize(file.format, file.width, file.height));
    if (file.frames == 0)
        return testfiles::writeFile(path, tail);
    if (!testclips::writeClip(path, file.format, file.width, file.height, file.frames))
        return false;
    const std::int64_t end
        = std::int64_t { file.frames } * frameSize(file.format, file.width, file.height);
    return tail.empty() || testfiles::writeAt(path, end, tail.data(), tail.size());
}

ImageOpenDialog &dialog()
{
    return ImageOpenDialog::instance();
}

int topLevelVideoWindows()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<ImageView *>(widget))
            ++count;
    }
    return count;
}

ListWidgetItemExt *entryAt(int row)
{
    return static_cast<ListWidgetItemExt *>(videoList()->item(row));
}

QString expectedTitle(const VideoState &video)
{
    return video.clip.name + QStringLiteral(" - ") + QString::number(video.frame) + QLatin1Char('/')
        + QString::number(video.clip.frames);
}

// The picture scaled and truncated, plus the 5-pixel margin, kept on the screen with its
// frame.
QSize expectedWindowSize(const VideoState &video, const QWidget *window)
{
    const double z = video.zoomPercent / 100.0;
    const QSize wanted(
        static_cast<int>(z * video.clip.width) + 5, static_cast<int>(z * video.clip.height) + 5);
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return wanted.boundedTo(window->screen()->availableGeometry().size() - frame);
}

// A sample of the frame on show, before grid lines: the planes stay as built
// (black) in a video of no frames.
int expectedSample(const VideoState &video, testclips::Plane plane, int x, int y)
{
    const ClipSpec &clip = video.clip;
    if (clip.frames == 0)
        return plane == testclips::Plane::Y ? 16 : 128;
    if (clip.sparse)
        return 0;
    return testclips::clipSample(clip.format, clip.width, clip.height, video.frame, plane, x, y);
}

std::size_t chromaIndexOf(const VideoState &video, int x, int y)
{
    const int row = video.clip.format == YV12 ? y / 2 : y;
    return static_cast<std::size_t>(row * (video.clip.width / 2) + x / 2);
}

} // namespace

class TestRandomSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void randomUserSession_data();
    void randomUserSession();

private:
    using Action = void (TestRandomSession::*)();
    struct WeightedAction
    {
        int weight;
        Action action;
    };

    int pick(int count);
    bool chance(int percent);
    Action pickAction();
    QString context() const;
    void readPanel();

    void openClip();
    void refuseOpen();
    void closeCurrent();
    void selectVideo();
    void pressTransport();
    void playOrStop();
    void tickPlayingVideos();
    void toggleLoopBox();
    void zoomWithKeys();
    void chooseComponent();
    void clickGridBox();
    void chooseGrid();
    void clickTooltipBox();
    void moveMouse();
    void leaveVideo();
    void hideCurrent();
    void closeWindowByTitleBar();

    void checkList();
    void checkVideo(int row);
    void checkPanel();
    void checkFrameContents(int row);

    TempDir dir;
    std::vector<ClipSpec> clips;
    SessionModel model;
    std::mt19937 random;
    int seed = 0;
    int stepNumber = 0;
    QString doing;
    QStringList recent;
};

void TestRandomSession::initTestCase()
{
    QVERIFY(dir.isValid());
    for (const ClipFile &file : clipFiles) {
        ClipSpec clip;
        clip.name = QString::fromUtf8(file.name);
        clip.path
            = QFile::encodeName(QString::fromStdString(dir.path()) + QLatin1Char('/') + clip.name)
                  .toStdString();
        clip.format = file.format;
        clip.width = file.width;
        clip.height = file.height;
        clip.frames = file.frames;
        clip.sparse = file.sparse;
        clip.speed = 25 + int(clips.size());
        QVERIFY2(writeClipFile(clip.path, file), file.name);
        clips.push_back(clip);
    }
    startApplication();
    // Play marks the videos playing; the session ticks them itself, one at a time.
    MainWindow::instance().player().setClockInterval(manualTicksOnly);
    readPanel();
}

void TestRandomSession::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

// A failed row leaves the model behind the windows; the next starts from what is shown.
void TestRandomSession::cleanup()
{
    if (!QTest::currentTestFailed())
        return;
    dialog().hide();
    closeAllVideos();
    model.videos.clear();
    model.current = -1;
    readPanel();
}

void TestRandomSession::readPanel()
{
    PanelState &panel = model.panel;
    panel.zoomPosition = mainWidget<QSlider>("sliderImageZoom")->value();
    panel.gridChoice = mainWidget<QComboBox>("comboBoxGrid")->currentIndex();
    panel.gridChecked = mainWidget<QCheckBox>("checkBoxGrid")->isChecked();
    panel.tooltipChecked = mainWidget<QCheckBox>("checkBoxToolTip")->isChecked();
    for (int component = 0; component < int(std::size(componentButtons)); ++component) {
        if (mainWidget<QRadioButton>(componentButtons[component])->isChecked())
            panel.component = component;
    }
    panel.loopNormal = mainWidget<QCheckBox>("cbLoopNormal")->isChecked();
    panel.loopBounce = mainWidget<QCheckBox>("cbLoopBouncing")->isChecked();
    panel.intervalMax = shownText("leIntervalMax");
    panel.videoPosition = shownText("leVideoPos");
}

void TestRandomSession::randomUserSession_data()
{
    QTest::addColumn<int>("seedValue");
    QTest::addColumn<int>("actions");
    for (int s : { 1, 2, 3, 4 })
        QTest::addRow("seed %d, 1000 actions", s) << s << 1000;
}

// Drives the real windows with a seeded sequence of user actions and checks every
// video and the control panel against the model after each one.
void TestRandomSession::randomUserSession()
{
    QFETCH(int, seedValue);
    QFETCH(int, actions);
    seed = seedValue;
    random.seed(static_cast<std::mt19937::result_type>(seedValue));
    recent.clear();
    for (stepNumber = 0; stepNumber < actions; ++stepNumber) {
        doing.clear();
        (this->*pickAction())();
        if (QTest::currentTestFailed())
            return;
        checkList();
        if (QTest::currentTestFailed())
            return;
        recent.append(doing);
        if (recent.size() > 12)
            recent.removeFirst();
    }
    while (videoCount() > 0) {
        closeCurrent();
        if (QTest::currentTestFailed())
            return;
        checkList();
        if (QTest::currentTestFailed())
            return;
    }
}

int TestRandomSession::pick(int count)
{
    return std::uniform_int_distribution<int>(0, count - 1)(random);
}

bool TestRandomSession::chance(int percent)
{
    return pick(100) < percent;
}

TestRandomSession::Action TestRandomSession::pickAction()
{
    static const WeightedAction table[] = {
        { 6, &TestRandomSession::openClip },
        { 2, &TestRandomSession::refuseOpen },
        { 4, &TestRandomSession::closeCurrent },
        { 6, &TestRandomSession::selectVideo },
        { 12, &TestRandomSession::pressTransport },
        { 4, &TestRandomSession::playOrStop },
        { 20, &TestRandomSession::tickPlayingVideos },
        { 4, &TestRandomSession::toggleLoopBox },
        { 8, &TestRandomSession::zoomWithKeys },
        { 6, &TestRandomSession::chooseComponent },
        { 4, &TestRandomSession::clickGridBox },
        { 4, &TestRandomSession::chooseGrid },
        { 5, &TestRandomSession::clickTooltipBox },
        { 10, &TestRandomSession::moveMouse },
        { 2, &TestRandomSession::leaveVideo },
        { 1, &TestRandomSession::hideCurrent },
        { 2, &TestRandomSession::closeWindowByTitleBar },
    };
    int total = 0;
    for (const WeightedAction &entry : table)
        total += entry.weight;
    int draw = pick(total);
    for (const WeightedAction &entry : table) {
        if (draw < entry.weight)
            return entry.action;
        draw -= entry.weight;
    }
    return table[0].action;
}

QString TestRandomSession::context() const
{
    return QStringLiteral("seed %1, action %2 (%3) after: %4: ")
        .arg(seed)
        .arg(stepNumber)
        .arg(doing, recent.join(QStringLiteral("; ")));
}

void TestRandomSession::openClip()
{
    if (int(model.videos.size()) >= mostVideos) {
        closeCurrent();
        return;
    }
    const ClipSpec &clip = clips[static_cast<std::size_t>(pick(int(clips.size())))];
    doing = QStringLiteral("open ") + clip.name;
    dialog().showForFile(clip.path);
    typeInto("leImageWidth", QString::number(clip.width));
    typeInto("leImageHeight", QString::number(clip.height));
    typeInto("leImageSpeed", QString::number(clip.speed));
    chooseWithKeys("comboBoxFormat", clip.format == UYVY ? 1 : 0);
    chooseWithKeys("comboBoxScan", pick(2));
    const int before = videoCount();
    pressDialogButton(QDialogButtonBox::Ok);
    CHECK(!dialog().isVisible(), QStringLiteral("OK left the dialog up"));
    CHECK(videoCount() == before + 1, QStringLiteral("nothing listed"));
    ImageView *view = videoAt(videoCount() - 1);
    model.add(clip, view);
}

void TestRandomSession::refuseOpen()
{
    static const char *const badSizes[] = { "0", "-16", "15", "16386", "wide", "0x10", "" };
    std::string path = clips[static_cast<std::size_t>(pick(int(clips.size())))].path;
    QString width = QStringLiteral("16");
    QString height = QStringLiteral("8");
    switch (pick(4)) {
    case 0:
        width = QString::fromLatin1(badSizes[pick(int(std::size(badSizes)))]);
        doing = QStringLiteral("open with width \"%1\"").arg(width);
        break;
    case 1:
        height = QString::fromLatin1(badSizes[pick(int(std::size(badSizes)))]);
        doing = QStringLiteral("open with height \"%1\"").arg(height);
        break;
    case 2:
        path = dir.filePath("missing.yuv");
        doing = QStringLiteral("open a missing file");
        break;
    default:
        path = dir.path();
        doing = QStringLiteral("open a directory");
        break;
    }
    dialog().showForFile(path);
    typeInto("leImageWidth", width);
    typeInto("leImageHeight", height);
    const int before = videoCount();
    pressDialogButton(QDialogButtonBox::Ok);
    const QString refusal = shownMessage();
    CHECK(dialog().isVisible(), QStringLiteral("taken"));
    CHECK(!refusal.isEmpty(), QStringLiteral("no reason given"));
    CHECK(videoCount() == before, QStringLiteral("listed"));
    pressDialogButton(QDialogButtonBox::Cancel);
    CHECK(!dialog().isVisible(), QStringLiteral("Cancel left it up"));
}

void TestRandomSession::closeCurrent()
{
    const int before = videoCount();
    const int row = videoList()->currentRow();
    doing = QStringLiteral("close row %1 of %2").arg(row).arg(before);
    click("pbCloseImage");
    const int after = videoList()->currentRow();
    if (before > 0) {
        // The entry below takes the selection, or the one above when the last went.
        const int neighbour = row < before - 1 ? row : row - 1;
        CHECK(after == neighbour, QStringLiteral("row %1 became current").arg(after));
    }
    model.closeCurrent(after);
}

void TestRandomSession::selectVideo()
{
    if (videoCount() == 0) {
        openClip();
        return;
    }
    const int row = pick(videoCount());
    doing = QStringLiteral("select row %1").arg(row);
    videoList()->scrollToItem(videoList()->item(row));
    selectRow(row);
    model.select(row);
}

void TestRandomSession::pressTransport()
{
    struct Button
    {
        const char *name;
        const char *text;
    };
    static const Button buttons[]
        = { { "pbGoToStart", "|<<" }, { "pb5stepRew", "<<" }, { "pb1stepRew", "<" },
              { "pb1stepFF", ">" }, { "pb5stepFF", ">>" }, { "pbGoToEnd", ">>|" } };
    const int which = pick(int(std::size(buttons)));
    doing = QString::fromLatin1(buttons[which].text);
    click(buttons[which].name);
    switch (which) {
    case 0:
        model.goToStart();
        break;
    case 1:
        model.step(-5);
        break;
    case 2:
        model.step(-1);
        break;
    case 3:
        model.step(1);
        break;
    case 4:
        model.step(5);
        break;
    default:
        model.goToEnd();
        break;
    }
}

void TestRandomSession::playOrStop()
{
    if (chance(60)) {
        doing = QStringLiteral("Play");
        click("pbStartPlay");
        model.play();
        return;
    }
    doing = QStringLiteral("||");
    click("pbStopPlay");
    model.stop();
}

// One round ticks every playing video once, in list order.
void TestRandomSession::tickPlayingVideos()
{
    const int rounds = 1 + pick(4);
    doing = QStringLiteral("%1 rounds of play ticks").arg(rounds);
    for (int round = 0; round < rounds; ++round) {
        for (int row = 0; row < int(model.videos.size()); ++row) {
            if (model.videos[static_cast<std::size_t>(row)].playing) {
                tick(*videoAt(row));
                model.tick(row);
            }
        }
    }
}

void TestRandomSession::toggleLoopBox()
{
    if (chance(50)) {
        doing = QStringLiteral("Normal box");
        click("cbLoopNormal");
        model.panel.loopNormal = !model.panel.loopNormal;
        return;
    }
    doing = QStringLiteral("Bounce box");
    click("cbLoopBouncing");
    model.panel.loopBounce = !model.panel.loopBounce;
}

void TestRandomSession::zoomWithKeys()
{
    auto *slider = mainWidget<QSlider>("sliderImageZoom");
    static const Qt::Key keys[] = { Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_PageDown,
        Qt::Key_Home, Qt::Key_End };
    const Qt::Key key = keys[pick(int(std::size(keys)))];
    int position = model.panel.zoomPosition;
    switch (key) {
    case Qt::Key_Right:
        position += slider->singleStep();
        break;
    case Qt::Key_Left:
        position -= slider->singleStep();
        break;
    case Qt::Key_PageUp:
        position += slider->pageStep();
        break;
    case Qt::Key_PageDown:
        position -= slider->pageStep();
        break;
    case Qt::Key_Home:
        position = slider->minimum();
        break;
    default:
        position = slider->maximum();
        break;
    }
    position = qBound(slider->minimum(), position, slider->maximum());
    doing = QStringLiteral("zoom slider key to %1").arg(position);
    QTest::keyClick(slider, key);
    model.moveZoomSlider(position);
}

void TestRandomSession::chooseComponent()
{
    const int component = pick(int(std::size(componentButtons)));
    doing = QString::fromLatin1(componentButtons[component]);
    click(componentButtons[component]);
    model.chooseComponent(component);
}

void TestRandomSession::clickGridBox()
{
    doing = QStringLiteral("Grid box");
    click("checkBoxGrid");
    model.clickGridBox();
}

void TestRandomSession::chooseGrid()
{
    auto *combo = mainWidget<QComboBox>("comboBoxGrid");
    const bool down = chance(50);
    const int choice = qBound(0, model.panel.gridChoice + (down ? 1 : -1), combo->count() - 1);
    doing = QStringLiteral("grid choice %1").arg(choice);
    QTest::keyClick(combo, down ? Qt::Key_Down : Qt::Key_Up);
    model.chooseGrid(choice);
}

void TestRandomSession::clickTooltipBox()
{
    doing = QStringLiteral("Tooltip box");
    click("checkBoxToolTip");
    model.clickTooltipBox();
}

// The readout names the pixel under the pointer, with that pixel's samples, or
// stays hidden off the picture and while switched off.
void TestRandomSession::moveMouse()
{
    if (videoCount() == 0) {
        openClip();
        return;
    }
    // The readout is switched on for the current video, so the pointer is mostly there.
    const int row = chance(70) && model.current >= 0 ? model.current : pick(videoCount());
    const VideoState &video = model.videos[static_cast<std::size_t>(row)];
    ImageView *view = videoAt(row);
    const QSize area = imageviewtesting::graphicsView(*view)->viewport()->size();
    const double scale = video.zoomPercent / 100.0;
    // Mostly over the picture, sometimes over the margin or off the frame.
    const QPoint at = chance(80)
        ? QPoint(pick(qMin(area.width(), int(scale * video.clip.width)) + 1),
            pick(qMin(area.height(), int(scale * video.clip.height)) + 1))
        : QPoint(pick(area.width() + 1), pick(area.height() + 1));
    doing = QStringLiteral("pointer to (%1, %2) over row %3").arg(at.x()).arg(at.y()).arg(row);
    imageviewtesting::moveMouse(*view, at);

    // Where the view's transform may round a point to either side of a pixel edge,
    // either pixel is right.
    const double sceneX = at.x() / scale;
    const double sceneY = at.y() / scale;
    const int xs[] = { int(std::floor(sceneX - 1e-6)), int(std::floor(sceneX + 1e-6)) };
    const int ys[] = { int(std::floor(sceneY - 1e-6)), int(std::floor(sceneY + 1e-6)) };
    const auto onPicture = [&video](int x, int y) {
        return x >= 0 && y >= 0 && x < video.clip.width && y < video.clip.height;
    };
    const bool surelyOn = onPicture(xs[0], ys[0]) && onPicture(xs[1], ys[1]);
    const bool surelyOff = !onPicture(xs[0], ys[0]) && !onPicture(xs[1], ys[1]);
    if (!surelyOn && !surelyOff)
        return;
    const bool shown = video.tooltip && surelyOn;
    CHECK(
        view->pixelLabel()->isVisible() == shown, QStringLiteral("readout shown: %1").arg(!shown));
    if (!shown)
        return;
    QStringList texts;
    for (int x : xs) {
        for (int y : ys)
            texts << imageviewtesting::readoutText(*view, x, y, chromaIndexOf(video, x, y));
    }
    CHECK(texts.contains(view->pixelLabel()->text()),
        QStringLiteral("readout \"%1\", wanted \"%2\"")
            .arg(view->pixelLabel()->text(), texts.first()));
    // 20 right of and 50 below the window corner plus the pointer, or as far on the
    // pointer's other side where the box would cross the screen's right or bottom edge.
    QPoint place = view->pos() + at + QPoint(20, 50);
    const QPoint pointer = view->findChild<QGraphicsView *>()->viewport()->mapToGlobal(at);
    const QRect screen = view->screen()->geometry();
    if (place.x() + 100 > screen.right() + 1)
        place.setX(2 * pointer.x() - place.x() - 100);
    if (place.y() + 80 > screen.bottom() + 1)
        place.setY(2 * pointer.y() - place.y() - 80);
    place = QPoint(qBound(screen.left(), place.x(), screen.right() + 1 - 100),
        qBound(screen.top(), place.y(), screen.bottom() + 1 - 80));
    CHECK(view->pixelLabel()->geometry() == QRect(place, QSize(100, 80)),
        QStringLiteral("readout misplaced"));
}

void TestRandomSession::leaveVideo()
{
    if (videoCount() == 0) {
        refuseOpen();
        return;
    }
    const int row = pick(videoCount());
    doing = QStringLiteral("pointer leaves row %1").arg(row);
    ImageView *view = videoAt(row);
    imageviewtesting::leaveViewport(*view);
    CHECK(!view->pixelLabel()->isVisible(), QStringLiteral("readout stayed"));
}

void TestRandomSession::hideCurrent()
{
    doing = QStringLiteral("hide current");
    QVERIFY(QMetaObject::invokeMethod(&MainWindow::instance(), "on_pbHideImageWnd_clicked"));
    model.hideCurrent();
}

void TestRandomSession::closeWindowByTitleBar()
{
    if (videoCount() == 0) {
        openClip();
        return;
    }
    const int row = pick(videoCount());
    doing = QStringLiteral("title-bar close of row %1").arg(row);
    videoAt(row)->close();
    model.closeWindow(row);
}

void TestRandomSession::checkList()
{
    const int count = int(model.videos.size());
    CHECK(videoCount() == count,
        QStringLiteral("%1 listed, %2 expected").arg(videoCount()).arg(count));
    CHECK(topLevelVideoWindows() == count,
        QStringLiteral("%1 video windows alive").arg(topLevelVideoWindows()));
    if (count > 0)
        CHECK(videoList()->currentRow() == model.current,
            QStringLiteral("row %1 current, %2 expected")
                .arg(videoList()->currentRow())
                .arg(model.current));
    for (int row = 0; row < count; ++row) {
        checkVideo(row);
        if (QTest::currentTestFailed())
            return;
        // Pixels of the current video after every step, of all now and then.
        if (row == model.current || stepNumber % 25 == 0)
            checkFrameContents(row);
        if (QTest::currentTestFailed())
            return;
    }
    checkPanel();
}

void TestRandomSession::checkVideo(int row)
{
    const VideoState &video = model.videos[static_cast<std::size_t>(row)];
    const ListWidgetItemExt *entry = entryAt(row);
    const ImageView *view = entry->imageView;
    const QString at = QStringLiteral("row %1 (%2): ").arg(row).arg(video.clip.name);
    CHECK(view == video.window, at + QStringLiteral("another window"));
    CHECK(entry->text() == video.clip.name, at + QStringLiteral("entry text ") + entry->text());
    const QBrush wantedBackground = video.greyEntry ? QBrush(QColor(242, 242, 242, 255)) : QBrush();
    CHECK(entry->background() == wantedBackground, at + QStringLiteral("background"));
    CHECK(view->windowTitle() == expectedTitle(video),
        at
            + QStringLiteral("title \"%1\", wanted \"%2\"")
                  .arg(view->windowTitle(), expectedTitle(video)));
    CHECK(int(view->currentFrame()) == video.frame && video.frame >= 0
            && video.frame <= qMax(0, view->frameCount() - 1),
        at + QStringLiteral("currentFrame %1").arg(view->currentFrame()));
    CHECK(view->frameCount() == video.clip.frames, at + QStringLiteral("frameCount"));
    CHECK(view->isPlaying() == video.playing,
        at + QStringLiteral("playing %1").arg(view->isPlaying()));
    CHECK(view->bounceDirection() == video.bounceDirection,
        at + QStringLiteral("bounceDirection %1").arg(view->bounceDirection()));
    CHECK(view->isVisible() == video.visible,
        at + QStringLiteral("visible %1").arg(view->isVisible()));
    CHECK(qRound(view->zoomFactor() * 100) == video.zoomPercent,
        at + QStringLiteral("zoom %1").arg(view->zoomFactor()));
    CHECK(view->component() == video.component,
        at + QStringLiteral("component %1").arg(view->component()));
    CHECK(view->gridStep() == video.gridStep,
        at + QStringLiteral("gridStep %1").arg(view->gridStep()));
    CHECK(view->tooltipEnabled() == video.tooltip, at + QStringLiteral("tooltip"));
    const QSize size = expectedWindowSize(video, view);
    CHECK(view->minimumSize() == size && view->maximumSize() == size,
        at
            + QStringLiteral("window %1x%2, wanted %3x%4")
                  .arg(view->maximumWidth())
                  .arg(view->maximumHeight())
                  .arg(size.width())
                  .arg(size.height()));
}

void TestRandomSession::checkPanel()
{
    const PanelState &panel = model.panel;
    const QString at = QStringLiteral("panel: ");
    auto *slider = mainWidget<QSlider>("sliderImageZoom");
    CHECK(slider->value() == panel.zoomPosition && slider->sliderPosition() == panel.zoomPosition,
        at + QStringLiteral("zoom slider at %1").arg(slider->value()));
    const QString zoomText = QString::number(SessionModel::zoomPreset(panel.zoomPosition));
    CHECK(shownText("lineEditImageZoom") == zoomText,
        at + QStringLiteral("zoom field ") + shownText("lineEditImageZoom"));
    CHECK(mainWidget<QCheckBox>("checkBoxGrid")->isChecked() == panel.gridChecked,
        at + QStringLiteral("grid box"));
    CHECK(mainWidget<QComboBox>("comboBoxGrid")->currentIndex() == panel.gridChoice,
        at + QStringLiteral("grid choice"));
    CHECK(mainWidget<QCheckBox>("checkBoxToolTip")->isChecked() == panel.tooltipChecked,
        at + QStringLiteral("tooltip box"));
    CHECK(mainWidget<QRadioButton>(componentButtons[panel.component])->isChecked(),
        at + QStringLiteral("component button"));
    CHECK(mainWidget<QCheckBox>("cbLoopNormal")->isChecked() == panel.loopNormal
            && mainWidget<QCheckBox>("cbLoopBouncing")->isChecked() == panel.loopBounce,
        at + QStringLiteral("loop boxes"));
    CHECK(shownText("leIntervalMax") == panel.intervalMax
            && shownText("leVideoPos") == panel.videoPosition,
        at + QStringLiteral("interval fields"));
    if (model.current < 0 || model.videos.empty())
        return;
    const ClipSpec &clip = model.videos[static_cast<std::size_t>(model.current)].clip;
    CHECK(shownText("labelVideoInfoSize")
            == QStringLiteral("%1 x %2").arg(clip.width).arg(clip.height),
        at + QStringLiteral("size read-out ") + shownText("labelVideoInfoSize"));
    CHECK(shownText("labelVideoInfoFormat")
            == (clip.format == UYVY ? QStringLiteral("UYVY") : QStringLiteral("YV12")),
        at + QStringLiteral("format read-out ") + shownText("labelVideoInfoFormat"));
    CHECK(shownText("labelVideoInfoSpeed") == QString::number(clip.speed),
        at + QStringLiteral("speed read-out ") + shownText("labelVideoInfoSpeed"));
}

// The planes hold the frame in the title, grid lines marked, converted by the
// formula; the scene shows the chosen view of them.
void TestRandomSession::checkFrameContents(int row)
{
    const VideoState &video = model.videos[static_cast<std::size_t>(row)];
    ImageView &view = *videoAt(row);
    const ClipSpec &clip = video.clip;
    const QString at
        = QStringLiteral("row %1 (%2) frame %3: ").arg(row).arg(clip.name).arg(video.frame);
    const int chromaRows = clip.format == YV12 ? clip.height / 2 : clip.height;
    const QImage picture = imageviewtesting::shownPicture(view);
    for (int y = 0; y < clip.height; ++y) {
        for (int x = 0; x < clip.width; ++x) {
            const bool onGrid
                = video.gridStep > 0 && (x % video.gridStep == 0 || y % video.gridStep == 0);
            const int wanted = onGrid && clip.frames > 0
                ? 200
                : expectedSample(video, testclips::Plane::Y, x, y);
            const auto luma = static_cast<std::size_t>(y * clip.width + x);
            CHECK(view.document().frame().y()[luma] == wanted,
                at
                    + QStringLiteral("Y(%1, %2) = %3, wanted %4")
                          .arg(x)
                          .arg(y)
                          .arg(view.document().frame().y()[luma])
                          .arg(wanted));
            const std::size_t chroma = chromaIndexOf(video, x, y);
            const Rgb rgb = yuvToRgbReference(view.document().frame().y()[luma],
                view.document().frame().u()[chroma], view.document().frame().v()[chroma]);
            const QRgb shown = picture.pixel(x, y);
            CHECK(video.component != viewreference::Color
                    || (qRed(shown) == rgb.r && qGreen(shown) == rgb.g && qBlue(shown) == rgb.b),
                at + QStringLiteral("RGB(%1, %2)").arg(x).arg(y));
            if (y >= chromaRows || x >= clip.width / 2)
                continue;
            const auto sample = static_cast<std::size_t>(y * (clip.width / 2) + x);
            for (const auto &[plane, samples] :
                { std::pair { testclips::Plane::U, &view.document().frame().u() },
                    std::pair { testclips::Plane::V, &view.document().frame().v() } }) {
                const int chromaWanted = expectedSample(video, plane, x, y);
                CHECK((*samples)[sample] == chromaWanted,
                    at + QStringLiteral("chroma (%1, %2)").arg(x).arg(y));
            }
        }
    }
    const int wrong
        = imageviewtesting::firstWrongPixel(view, picture, viewreference::View(video.component));
    CHECK(wrong == -1, at + QStringLiteral("picture wrong at pixel %1").arg(wrong));
}

QTEST_MAIN(TestRandomSession)
#include "test_randomsession.moc"
