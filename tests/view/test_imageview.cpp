#include "imageview.h"
#include "imageviewtesting.h"
#include "mainwindow.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "yuvreference.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <algorithm>

using namespace imageviewtesting;
using testclips::Plane;
using viewreference::View;

namespace {

constexpr QRgb black = 0xff000000u;

bool allPixelsAre(const QImage &picture, QRgb value)
{
    if (picture.isNull())
        return false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != value)
                return false;
    return true;
}

bool allSamplesAre(const SamplePlane &plane, std::uint8_t value)
{
    return std::all_of(plane.begin(), plane.end(), [value](std::uint8_t s) { return s == value; });
}

// Whether the window's Y, U and V planes hold frame `frame` of the clip as written, each
// byte where its layout puts it; grey's U and V stay 128.
bool planesHoldClipFrame(const ImageView &view, std::int32_t frame)
{
    const auto bytes = std::size_t(frameSize(view.document().format().pixelFormat(),
        view.document().format().width(), view.document().format().height()));
    for (std::size_t at = 0; at < bytes; ++at) {
        const SampleDestination d = referenceDestination(view.document().format().pixelFormat(),
            std::size_t(view.document().format().width()),
            std::size_t(view.document().format().height()), at);
        const SamplePlane &plane = d.plane == 'Y'
            ? view.document().frame().y()
            : (d.plane == 'U' ? view.document().frame().u() : view.document().frame().v());
        if (plane.at(d.index) != testclips::clipByte(frame, std::int64_t(at)))
            return false;
    }
    return view.document().format().pixelFormat() != Gray
        || (allSamplesAre(view.document().frame().u(), 128)
            && allSamplesAre(view.document().frame().v(), 128));
}

// One YV12 frame of the given luma with every U and every V sample alike.
std::vector<std::uint8_t> yv12Frame(
    const std::vector<std::uint8_t> &y, std::uint8_t u, std::uint8_t v)
{
    const std::size_t chroma = y.size() / 4;
    std::vector<std::uint8_t> frame(y.size() + 2 * chroma, v);
    std::copy(y.begin(), y.end(), frame.begin());
    std::fill_n(frame.begin() + std::ptrdiff_t(y.size()), chroma, u);
    return frame;
}

} // namespace

class TestImageView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newWindowIsHiddenWithBlackPlanes_data();
    void newWindowIsHiddenWithBlackPlanes();
    void newWindowIsBuiltAsTheFormSays();
    void frameIndexIsWrappedAndLimited_data();
    void frameIndexIsWrappedAndLimited();
    void videoNameIsThePartAfterTheLastSlash_data();
    void videoNameIsThePartAfterTheLastSlash();
    void fileShorterThanOneFrameShowsBlackFrameZero_data();
    void fileShorterThanOneFrameShowsBlackFrameZero();
    void unreadableFirstFrameShowsBlack();
    void unreadableFrameKeepsThePictureUnderTheNewTitle();
    void framesAreLoadedAndConverted_data();
    void framesAreLoadedAndConverted();
    void everyViewMatchesThePlanes_data();
    void everyViewMatchesThePlanes();
    void uViewOf4x2YV12DrawsTwoGreyBlocks();
    void rAndYViewsDrawTheirSample();
    void unknownViewIsStoredAndDrawsNothing();
    void newWindowHasNoGrid();
    void gridStepReloadsTheCurrentFrame();
    void titleBarCloseOnlyHidesTheWindow();

private:
    TempDir dir;
};

void TestImageView::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    QVERIFY(dir.isValid());
}

void TestImageView::newWindowIsHiddenWithBlackPlanes_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("chromaSize");

    QTest::newRow("YV12") << int(YV12) << 352 * 288 / 4;
    QTest::newRow("UYVY") << int(UYVY) << 352 * 288 / 2;
    QTest::newRow("Planar422") << int(Planar422) << 352 * 288 / 2;
    QTest::newRow("nv12") << int(Nv12) << 352 * 288 / 4;
    QTest::newRow("yuyv422") << int(Yuyv422) << 352 * 288 / 2;
    QTest::newRow("yuv444p") << int(Yuv444p) << 352 * 288;
    QTest::newRow("gray: one row of 128") << int(Gray) << 352;
}

void TestImageView::newWindowIsHiddenWithBlackPlanes()
{
    QFETCH(int, format);
    QFETCH(int, chromaSize);
    VideoParameters parameters;
    parameters.path = "/data/clip.yuv";
    parameters.scan = Interlaced;
    parameters.format = format;
    parameters.width = 352;
    parameters.height = 288;
    parameters.speed = 30;
    parameters.frameCount = 300;
    ImageView view(parameters);

    QVERIFY(!view.isVisible());
    QCOMPARE(view.document().path(), std::string("/data/clip.yuv"));
    QCOMPARE(view.document().scan(), std::int32_t(Interlaced));
    QCOMPARE(view.document().format().pixelFormat(), format);
    QCOMPARE(view.document().format().width(), 352);
    QCOMPARE(view.document().format().height(), 288);
    QCOMPARE(view.document().speed(), 30);
    QCOMPARE(view.frameCount(), 300);
    QCOMPARE(view.currentFrame(), qint64(0));
    QCOMPARE(view.zoomFactor(), 1.0);
    QCOMPARE(view.component(), int(ImageView::Color));
    QCOMPARE(view.tooltipEnabled(), false);
    QCOMPARE(view.gridStep(), 0);
    QCOMPARE(view.bounceDirection(), 1);
    QVERIFY(shownPicture(view).isNull());

    QCOMPARE(view.document().frame().y().size(), std::size_t(352 * 288));
    QCOMPARE(view.document().frame().u().size(), std::size_t(chromaSize));
    QCOMPARE(view.document().frame().v().size(), std::size_t(chromaSize));
    QVERIFY(allSamplesAre(view.document().frame().y(), 16));
    QVERIFY(allSamplesAre(view.document().frame().u(), 128));
    QVERIFY(allSamplesAre(view.document().frame().v(), 128));
}

void TestImageView::newWindowIsBuiltAsTheFormSays()
{
    const VideoParameters parameters = writeClip(dir, "form.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(view.objectName(), QStringLiteral("ImageView"));
    QCOMPARE(view.windowTitle(), QStringLiteral("MainWindow"));
    QGraphicsView *display = graphicsView(view);
    QVERIFY(display);
    QCOMPARE(view.centralWidget(), display);
    QVERIFY(!view.findChild<QLabel *>(QStringLiteral("label")));
    QVERIFY(!view.findChild<QWidget *>(QStringLiteral("centralwidget")));
    QCOMPARE(view.parentWidget(), nullptr);

    QCOMPARE(view.minimumSize(), QSize(357, 293));
    QCOMPARE(view.maximumSize(), QSize(357, 293));
    QCOMPARE(display->minimumSize(), QSize(357, 293));
    QCOMPARE(display->maximumSize(), QSize(357, 293));
    QVERIFY(display->viewport()->hasMouseTracking());
    QCOMPARE(display->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(display->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(display->backgroundBrush().style(), Qt::Dense1Pattern);
    QCOMPARE(display->backgroundBrush().color(), QColor(Qt::black));

    QCOMPARE(MainWindow::instance().player().clock().interval(), 40);
    QVERIFY(!view.isPlaying());

    QVERIFY(!view.pixelLabel()->isVisible());
    QCOMPARE(view.pixelLabel()->windowType(), Qt::ToolTip);
    QVERIFY(view.pixelLabel()->autoFillBackground());
    const QString style = view.pixelLabel()->styleSheet();
    QVERIFY(style.contains(QStringLiteral("background-color: yellow;")));
    QVERIFY(style.contains(QStringLiteral("border-style: solid;")));
    QVERIFY(style.contains(QStringLiteral("border: 2px solid black;")));
}

void TestImageView::frameIndexIsWrappedAndLimited_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("shown");

    QTest::newRow("frame 12") << 12 << 12;
    QTest::newRow("frame 65536 is frame 0") << 65536 << 0;
    QTest::newRow("frame 65547 is frame 11") << 65547 << 11;
    QTest::newRow("frame -1 is the last of 300") << -1 << 299;
    QTest::newRow("frame 1000 is the last of 300") << 1000 << 299;
    QTest::newRow("frame 299 is the last") << 299 << 299;
}

void TestImageView::frameIndexIsWrappedAndLimited()
{
    QFETCH(int, asked);
    QFETCH(int, shown);
    const VideoParameters parameters = writeClip(dir, "clip.yuv", YV12, 4, 2, 300);
    ImageView view(parameters);

    view.showFrame(asked);

    QCOMPARE(int(view.currentFrame()), shown);
    QCOMPARE(view.windowTitle(), QStringLiteral("clip.yuv - %1/300").arg(shown));
    QVERIFY(planesHoldClipFrame(view, shown));
}

void TestImageView::videoNameIsThePartAfterTheLastSlash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::newRow("absolute path") << "/data/clip.yuv"
                                   << "clip.yuv";
    QTest::newRow("no slash: the whole path") << "clip.yuv"
                                              << "clip.yuv";
    QTest::newRow("backslash does not separate") << "C:\\video\\clip.yuv"
                                                 << "C:\\video\\clip.yuv";
    QTest::newRow("trailing slash: empty") << "/data/"
                                           << "";
    QTest::newRow("blanks kept") << "/a b/my clip.yuv"
                                 << "my clip.yuv";
    QTest::newRow("accented name")
        << QStringLiteral("/data/cl\u00e9.yuv") << QStringLiteral("cl\u00e9.yuv");
}

void TestImageView::videoNameIsThePartAfterTheLastSlash()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    VideoParameters parameters;
    parameters.path = QFile::encodeName(path).toStdString();
    parameters.width = 4;
    parameters.height = 2;
    parameters.frameCount = 300;
    ImageView view(parameters);

    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(view.videoName())), name);
    view.showFrame(12);
    // None of these files exists, and the title says so.
    QCOMPARE(view.windowTitle(), name + QStringLiteral(" - 12/300 - could not be read"));
}

void TestImageView::fileShorterThanOneFrameShowsBlackFrameZero_data()
{
    QTest::addColumn<int>("asked");

    QTest::newRow("frame 0") << 0;
    QTest::newRow("frame 5") << 5;
    QTest::newRow("frame -1") << -1;
    QTest::newRow("frame 65535") << 65535;
}

void TestImageView::fileShorterThanOneFrameShowsBlackFrameZero()
{
    QFETCH(int, asked);
    // 10 bytes of white luma: anything read from the file would show.
    VideoParameters parameters;
    parameters.path = dir.filePath("short.yuv");
    QVERIFY(testfiles::writeFile(parameters.path, std::vector<std::uint8_t>(10, 235)));
    parameters.width = 4;
    parameters.height = 2;
    parameters.frameCount = 0;
    ImageView view(parameters);

    view.showFrame(asked);

    QCOMPARE(view.currentFrame(), qint64(0));
    QCOMPARE(view.windowTitle(), QStringLiteral("short.yuv - 0/0"));
    QVERIFY(allSamplesAre(view.document().frame().y(), 16));
    QVERIFY(allPixelsAre(shownPicture(view), black));
    QVERIFY(view.isVisible());
}

void TestImageView::unreadableFirstFrameShowsBlack()
{
    VideoParameters parameters;
    parameters.path = dir.filePath("missing.yuv");
    parameters.width = 8;
    parameters.height = 6;
    parameters.frameCount = 3;
    ImageView view(parameters);

    view.showFrame(0);
    QCOMPARE(view.windowTitle(), QStringLiteral("missing.yuv - 0/3 - could not be read"));
    QVERIFY(allPixelsAre(shownPicture(view), black));
    view.setComponentView(ImageView::Y);
    QVERIFY(allPixelsAre(shownPicture(view), qRgb(16, 16, 16)));
    view.setComponentView(ImageView::V);
    QVERIFY(allPixelsAre(shownPicture(view), qRgb(128, 128, 128)));
}

void TestImageView::unreadableFrameKeepsThePictureUnderTheNewTitle()
{
    const VideoParameters parameters = writeClip(dir, "gone.yuv", YV12, 8, 6, 3);
    ImageView view(parameters);
    view.showFrame(0);
    const QImage before = shownPicture(view);
    QVERIFY(testfiles::removeFile(parameters.path));

    view.showFrame(1);

    QCOMPARE(view.windowTitle(), QStringLiteral("gone.yuv - 1/3 - could not be read"));
    QCOMPARE(shownPicture(view), before);
    QVERIFY(planesHoldClipFrame(view, 0));
}

void TestImageView::framesAreLoadedAndConverted_data()
{
    QTest::addColumn<int>("format");

    QTest::newRow("YV12") << int(YV12);
    QTest::newRow("UYVY") << int(UYVY);
    QTest::newRow("Planar422") << int(Planar422);
    QTest::newRow("yvu420p") << int(Yvu420p);
    QTest::newRow("nv21") << int(Nv21);
    QTest::newRow("nv16") << int(Nv16);
    QTest::newRow("yvyu422") << int(Yvyu422);
    QTest::newRow("yuv444p") << int(Yuv444p);
    QTest::newRow("gray") << int(Gray);
}

void TestImageView::framesAreLoadedAndConverted()
{
    QFETCH(int, format);
    const VideoParameters parameters = writeClip(dir, "load.yuv", format, 8, 6, 3);
    ImageView view(parameters);

    view.showFrame(2);

    QVERIFY(planesHoldClipFrame(view, 2));
    // The colour picture is the reference conversion of those planes.
    QCOMPARE(firstWrongPixel(view, shownPicture(view), View::Color), -1);
}

void TestImageView::everyViewMatchesThePlanes_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("format");

    const char *viewNames[] = { "Color", "Y", "U", "V", "R", "G", "B" };
    const struct
    {
        const char *name;
        int format;
    } formats[] = { { "YV12", YV12 }, { "UYVY", UYVY }, { "Planar422", Planar422 },
        { "nv12", Nv12 }, { "uyvy422", Uyvy422 }, { "yuv444p", Yuv444p }, { "gray", Gray } };
    for (int view = 0; view < 7; ++view)
        for (const auto &format : formats)
            QTest::addRow("%s view of %s", viewNames[view], format.name) << view << format.format;
}

void TestImageView::everyViewMatchesThePlanes()
{
    QFETCH(int, view);
    QFETCH(int, format);
    const VideoParameters parameters = writeClip(dir, "views.yuv", format, 10, 6, 2);
    ImageView window(parameters);
    window.showFrame(1);
    // Every draw gives its picture to the scene's one item, which keeps this mark.
    QGraphicsScene *scene = graphicsView(window)->scene();
    scene->items().value(0)->setData(0, QStringLiteral("first item"));

    window.setComponentView(view);

    QCOMPARE(window.component(), view);
    QCOMPARE(window.windowTitle(), QStringLiteral("views.yuv - 1/2"));
    QCOMPARE(firstWrongPixel(window, shownPicture(window), View(view)), -1);
    // A later frame is drawn in the same view.
    window.showFrame(0);
    QVERIFY(planesHoldClipFrame(window, 0));
    QCOMPARE(firstWrongPixel(window, shownPicture(window), View(view)), -1);
    QCOMPARE(scene->items().size(), 1);
    QCOMPARE(scene->items().value(0)->data(0), QVariant(QStringLiteral("first item")));
}

void TestImageView::uViewOf4x2YV12DrawsTwoGreyBlocks()
{
    VideoParameters parameters;
    parameters.path = dir.filePath("u.yuv");
    const std::vector<std::uint8_t> frame { 100, 100, 100, 100, 100, 100, 100, 100, 10, 20, 128,
        128 };
    QVERIFY(testfiles::writeFile(parameters.path, frame));
    parameters.width = 4;
    parameters.height = 2;
    parameters.frameCount = 1;
    ImageView view(parameters);
    view.showFrame(0);

    view.setComponentView(ImageView::U);

    const QImage picture = shownPicture(view);
    for (int y = 0; y < 2; ++y) {
        QCOMPARE(picture.pixel(0, y), qRgb(10, 10, 10));
        QCOMPARE(picture.pixel(1, y), qRgb(10, 10, 10));
        QCOMPARE(picture.pixel(2, y), qRgb(20, 20, 20));
        QCOMPARE(picture.pixel(3, y), qRgb(20, 20, 20));
    }
}

void TestImageView::rAndYViewsDrawTheirSample()
{
    // Luma 188 on neutral chroma converts to R = G = B = 200.
    VideoParameters parameters;
    parameters.path = dir.filePath("ry.yuv");
    QVERIFY(testfiles::writeFile(parameters.path, yv12Frame({ 188, 200, 16, 235 }, 128, 128)));
    parameters.width = 2;
    parameters.height = 2;
    parameters.frameCount = 1;
    ImageView view(parameters);
    view.showFrame(0);
    QCOMPARE(shownPicture(view).pixel(0, 0), qRgb(200, 200, 200));

    view.setComponentView(ImageView::R);
    QCOMPARE(shownPicture(view).pixel(0, 0), qRgb(200, 0, 0));
    view.setComponentView(ImageView::Y);
    QCOMPARE(shownPicture(view).pixel(1, 0), qRgb(200, 200, 200));
    QCOMPARE(shownPicture(view).pixel(1, 1), qRgb(235, 235, 235));
}

void TestImageView::unknownViewIsStoredAndDrawsNothing()
{
    const VideoParameters parameters = writeClip(dir, "seven.yuv", YV12, 8, 6, 3);
    ImageView view(parameters);
    view.showFrame(0);
    const qint64 drawn = shownPixmapKey(view);
    QVERIFY(drawn != 0);
    const QImage before = shownPicture(view);

    view.setComponentView(7);
    QCOMPARE(view.component(), 7);
    QCOMPARE(shownPixmapKey(view), drawn);

    view.hide();
    view.showFrame(1);
    QCOMPARE(view.windowTitle(), QStringLiteral("seven.yuv - 1/3"));
    QCOMPARE(shownPixmapKey(view), drawn);
    QCOMPARE(shownPicture(view), before);
    QVERIFY(!view.isVisible());
}

void TestImageView::newWindowHasNoGrid()
{
    const VideoParameters parameters = writeClip(dir, "nogrid.yuv", YV12, 16, 16, 1);
    ImageView view(parameters);
    view.showFrame(0);
    QCOMPARE(view.gridStep(), 0);
    QVERIFY(planesHoldClipFrame(view, 0));
}

void TestImageView::gridStepReloadsTheCurrentFrame()
{
    const VideoParameters parameters = writeClip(dir, "grid.yuv", YV12, 16, 16, 2);
    ImageView view(parameters);
    view.showFrame(1);
    // Frame 1 changes on disk: only a reload can show the new bytes.
    std::vector<std::uint8_t> changed(16 * 16 * 3 / 2, 50);
    QVERIFY(testfiles::writeAt(parameters.path, 16 * 16 * 3 / 2, changed.data(), changed.size()));

    view.setGridStep(8);

    QCOMPARE(view.gridStep(), 8);
    QCOMPARE(view.currentFrame(), qint64(1));
    QCOMPARE(view.windowTitle(), QStringLiteral("grid.yuv - 1/2"));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool onLine = x % 8 == 0 || y % 8 == 0;
            QCOMPARE(int(view.document().frame().y()[std::size_t(y * 16 + x)]), onLine ? 200 : 50);
        }
    }
    QVERIFY(allSamplesAre(view.document().frame().u(), 50));
    QCOMPARE(firstWrongPixel(view, shownPicture(view), View::Color), -1);

    view.setGridStep(0);
    QVERIFY(allSamplesAre(view.document().frame().y(), 50));
}

void TestImageView::titleBarCloseOnlyHidesTheWindow()
{
    const VideoParameters parameters = writeClip(dir, "close.yuv", YV12, 8, 6, 3);
    auto *view = new ImageView(parameters);
    QPointer<ImageView> guard(view);
    view->showFrame(2);
    QVERIFY(QTest::qWaitForWindowExposed(view));

    QVERIFY(view->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard.isNull());
    QVERIFY(!view->isVisible());
    QCOMPARE(view->currentFrame(), qint64(2));

    view->showFrame(0);
    QVERIFY(view->isVisible());
    delete view;
}

QTEST_MAIN(TestImageView)
#include "test_imageview.moc"
