#include "imageview.h"
#include "imageviewtesting.h"
#include "tempdir.h"
#include "testfiles.h"

#include "player.h"

#include <QClipboard>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using namespace imageviewtesting;

namespace {

// The screen's available area less the frame that the platform puts round the window.
QSize availableSize(ImageView &view)
{
    const QSize frame = view.frameGeometry().size() - view.geometry().size();
    return view.screen()->availableGeometry().size() - frame;
}

} // namespace

class TestImageViewZoom : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void zoomResizesWindowAndView_data();
    void zoomResizesWindowAndView();
    void zoomInForceRedrawsNothing_data();
    void zoomInForceRedrawsNothing();
    void zoomRedrawsFromMemory();
    void highZoomStaysOnTheScreen();
    void largeFrameStaysOnTheScreenAtFullSize();
    void pictureStaysAtTheViewportCorner_data();
    void pictureStaysAtTheViewportCorner();
    void leftDragPansALargePicture();
    void zoomAfterPanningReturnsToTheCorner();
    void zoomBeforeTheFirstFrameKeepsTheCorner();
    void readoutFollowsThePointer_data();
    void readoutFollowsThePointer();
    void readoutShowsTheGridLine_data();
    void readoutShowsTheGridLine();
    void readoutTakesTheConversionsChroma_data();
    void readoutTakesTheConversionsChroma();
    void readoutHidesOutsideThePicture_data();
    void readoutHidesOutsideThePicture();
    void leavingTheViewportHidesTheReadout();
    void switchingTheReadoutOffHidesAtTheNextMove();
    void readoutReadsThePannedPixel();
    void differenceReadoutGivesBothVideosAndTheirDifference();
    void copyKeepsTheCopiedPicture_data();
    void copyKeepsTheCopiedPicture();
    void valuesAreWrittenInsideTheirCells_data();
    void valuesAreWrittenInsideTheirCells();

private:
    TempDir dir;
};

void TestImageViewZoom::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    QVERIFY(dir.isValid());
}

void TestImageViewZoom::zoomResizesWindowAndView_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("size");

    QTest::newRow("150 %") << 150 << QSize(533, 437);
    QTest::newRow("12 %") << 12 << QSize(47, 39);
    QTest::newRow("50 %") << 50 << QSize(181, 149);
}

void TestImageViewZoom::zoomResizesWindowAndView()
{
    QFETCH(int, percent);
    QFETCH(QSize, size);
    const VideoParameters parameters = writeClip(dir, "cif.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);

    view.setZoomPercent(percent);

    QCOMPARE(view.zoomFactor(), percent / 100.0);
    QGraphicsView *display = graphicsView(view);
    QCOMPARE(display->transform(), QTransform::fromScale(percent / 100.0, percent / 100.0));
    QCOMPARE(view.minimumSize(), size);
    QCOMPARE(view.maximumSize(), size);
    QCOMPARE(display->minimumSize(), size);
    QCOMPARE(display->maximumSize(), size);

    view.setZoomPercent(100);
    QCOMPARE(view.zoomFactor(), 1.0);
    QCOMPARE(display->transform(), QTransform());
    QCOMPARE(view.maximumSize(), QSize(357, 293));
}

void TestImageViewZoom::zoomInForceRedrawsNothing_data()
{
    QTest::addColumn<int>("percent");

    QTest::newRow("100 % again") << 100;
    QTest::newRow("110 %, 10 points away") << 110;
    QTest::newRow("90 %, 10 points away") << 90;
    QTest::newRow("0 %") << 0;
    QTest::newRow("-100 %") << -100;
}

void TestImageViewZoom::zoomInForceRedrawsNothing()
{
    QFETCH(int, percent);
    const VideoParameters parameters = writeClip(dir, "cif.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    const qint64 drawn = shownPixmapKey(view);
    QVERIFY(drawn != 0);
    view.hide();

    view.setZoomPercent(percent);

    // A redraw would have replaced the pixmap and shown the window.
    QVERIFY(!view.isVisible());
    QCOMPARE(shownPixmapKey(view), drawn);
    QCOMPARE(view.zoomFactor(), 1.0);
    QCOMPARE(view.maximumSize(), QSize(357, 293));
}

void TestImageViewZoom::zoomRedrawsFromMemory()
{
    const VideoParameters parameters = writeClip(dir, "memory.yuv", YV12, 64, 32, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setComponentView(ImageView::V);
    const QImage before = shownPicture(view);
    QVERIFY(testfiles::removeFile(parameters.path));
    view.hide();

    view.setZoomPercent(400);

    QVERIFY(view.isVisible());
    QCOMPARE(shownPicture(view), before);
    QCOMPARE(view.component(), int(ImageView::V));
}

void TestImageViewZoom::highZoomStaysOnTheScreen()
{
    const VideoParameters parameters = writeClip(dir, "hd.yuv", YV12, 1920, 1080, 1);
    ImageView view(parameters);
    view.showFrame(0);
    const QRect screen = view.screen()->availableGeometry();
    view.move(screen.center());

    view.setZoomPercent(3200);

    const QSize available = availableSize(view);
    QGraphicsView *display = graphicsView(view);
    QCOMPARE(view.maximumSize(), available);
    QCOMPARE(display->maximumSize(), available);
    QCOMPARE(view.frameGeometry(), screen);
    QCOMPARE(display->transform(), QTransform::fromScale(32, 32));
    QCOMPARE(display->dragMode(), QGraphicsView::ScrollHandDrag);
    QCOMPARE(display->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    view.setZoomPercent(12);
    QCOMPARE(view.maximumSize(), QSize(235, 134));
    QCOMPARE(display->dragMode(), QGraphicsView::NoDrag);
}

void TestImageViewZoom::largeFrameStaysOnTheScreenAtFullSize()
{
    VideoParameters parameters;
    parameters.path = dir.filePath("uhd.yuv");
    parameters.width = 3840;
    parameters.height = 2160;
    parameters.frameCount = 1;
    ImageView view(parameters);

    const QSize available = availableSize(view);
    QCOMPARE(view.maximumSize(), QSize(3845, 2165).boundedTo(available));
    QCOMPARE(graphicsView(view)->maximumSize(), QSize(3845, 2165).boundedTo(available));
}

void TestImageViewZoom::pictureStaysAtTheViewportCorner_data()
{
    QTest::addColumn<int>("percent");

    QTest::newRow("100 %") << 100;
    QTest::newRow("12 %") << 12;
    QTest::newRow("200 %") << 200;
    QTest::newRow("3200 %") << 3200;
}

void TestImageViewZoom::pictureStaysAtTheViewportCorner()
{
    QFETCH(int, percent);
    const VideoParameters parameters = writeClip(dir, "corner.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(percent);
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QGraphicsView *display = graphicsView(view);
    QCOMPARE(display->mapFromScene(QPointF(0, 0)), QPoint(0, 0));
    QCOMPARE(display->mapToScene(QPoint(0, 0)), QPointF(0, 0));
}

void TestImageViewZoom::leftDragPansALargePicture()
{
    const VideoParameters parameters = writeClip(dir, "pan.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(1600);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QGraphicsView *display = graphicsView(view);

    pressMouse(view, QPoint(300, 300));
    moveMouse(view, QPoint(200, 250), Qt::LeftButton);
    releaseMouse(view, QPoint(200, 250));

    QCOMPARE(
        display->horizontalScrollBar()->value() - display->horizontalScrollBar()->minimum(), 100);
    QCOMPARE(display->verticalScrollBar()->value() - display->verticalScrollBar()->minimum(), 50);
    QCOMPARE(display->mapToScene(QPoint(0, 0)), QPointF(100 / 16.0, 50 / 16.0));
}

void TestImageViewZoom::zoomAfterPanningReturnsToTheCorner()
{
    const VideoParameters parameters = writeClip(dir, "repan.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(1600);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    pressMouse(view, QPoint(300, 300));
    moveMouse(view, QPoint(100, 100), Qt::LeftButton);
    releaseMouse(view, QPoint(100, 100));

    view.setZoomPercent(3200);

    QCOMPARE(graphicsView(view)->mapToScene(QPoint(0, 0)), QPointF(0, 0));
}

void TestImageViewZoom::zoomBeforeTheFirstFrameKeepsTheCorner()
{
    const VideoParameters parameters = writeClip(dir, "early.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    // The zoom draws the black planes and so shows the window before any frame.
    view.setZoomPercent(800);
    QVERIFY(view.isVisible());

    view.showFrame(0);
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QCOMPARE(graphicsView(view)->mapToScene(QPoint(0, 0)), QPointF(0, 0));
}

void TestImageViewZoom::readoutFollowsThePointer_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("pixel");

    QTest::newRow("200 % at (101, 51)") << 200 << QPoint(101, 51) << QPoint(50, 25);
    QTest::newRow("12 % at (10, 10)") << 12 << QPoint(10, 10) << QPoint(83, 83);
    QTest::newRow("100 % at the origin") << 100 << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("100 % at the last pixel") << 100 << QPoint(351, 287) << QPoint(351, 287);
    QTest::newRow("150 % at (3, 3)") << 150 << QPoint(3, 3) << QPoint(2, 2);
}

void TestImageViewZoom::readoutFollowsThePointer()
{
    QFETCH(int, percent);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, pixel);
    const VideoParameters parameters = writeClip(dir, "readout.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(percent);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setTooltipEnabled(true);

    moveMouse(view, pointer);

    QVERIFY(view.pixelLabel()->isVisible());
    const std::size_t chroma = std::size_t((pixel.y() / 2) * 176 + pixel.x() / 2);
    QCOMPARE(view.pixelLabel()->text(), readoutText(view, pixel.x(), pixel.y(), chroma));
    const QPoint corner = view.pos();
    QCOMPARE(view.pixelLabel()->geometry(),
        QRect(corner.x() + pointer.x() + 20, corner.y() + pointer.y() + 50, 100, 80));
}

void TestImageViewZoom::readoutShowsTheGridLine_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("luma");

    QTest::newRow("YV12") << int(YV12) << QStringLiteral("200");
    QTest::newRow("yuv420p10le: 200 at 10 bits") << int(Yuv420p10le) << QStringLiteral("800");
    QTest::newRow("gray12le: 200 at 12 bits") << int(Gray12le) << QStringLiteral("3200");
}

void TestImageViewZoom::readoutShowsTheGridLine()
{
    QFETCH(int, format);
    QFETCH(QString, luma);
    const VideoParameters parameters = writeClip(dir, "gridline.yuv", format, 64, 32, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setGridStep(8);
    view.setTooltipEnabled(true);

    moveMouse(view, QPoint(16, 5));

    QVERIFY(view.pixelLabel()->text().startsWith(
        QStringLiteral(" X = 16\n Y = 5\n BT.601 limited\n Y = %1   R = ").arg(luma)));
}

void TestImageViewZoom::readoutTakesTheConversionsChroma_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("chroma");

    QTest::newRow("YV12 pixel (5, 3)") << int(YV12) << 178;
    QTest::newRow("UYVY pixel (5, 3)") << int(UYVY) << 530;
    QTest::newRow("Planar422 pixel (5, 3)") << int(Planar422) << 530;
    QTest::newRow("yuv420p10le pixel (5, 3)") << int(Yuv420p10le) << 178;
    QTest::newRow("p010le pixel (5, 3)") << int(P010le) << 178;
    QTest::newRow("yuv444p12le pixel (5, 3)") << int(Yuv444p12le) << 1061;
}

void TestImageViewZoom::readoutTakesTheConversionsChroma()
{
    QFETCH(int, format);
    QFETCH(int, chroma);
    const VideoParameters parameters = writeClip(dir, "chroma.yuv", format, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setTooltipEnabled(true);

    moveMouse(view, QPoint(5, 3));

    QCOMPARE(view.pixelLabel()->text(), readoutText(view, 5, 3, std::size_t(chroma)));
}

void TestImageViewZoom::readoutHidesOutsideThePicture_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QPoint>("pointer");

    QTest::newRow("right margin at 100 %") << 100 << QPoint(352, 10);
    QTest::newRow("bottom margin at 100 %") << 100 << QPoint(10, 288);
    QTest::newRow("right margin at 200 %") << 200 << QPoint(704, 10);
    QTest::newRow("bottom margin at 12 %") << 12 << QPoint(10, 35);
}

void TestImageViewZoom::readoutHidesOutsideThePicture()
{
    QFETCH(int, percent);
    QFETCH(QPoint, pointer);
    const VideoParameters parameters = writeClip(dir, "margin.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(percent);
    view.setTooltipEnabled(true);
    moveMouse(view, QPoint(1, 1));
    QVERIFY(view.pixelLabel()->isVisible());

    moveMouse(view, pointer);

    QVERIFY(!view.pixelLabel()->isVisible());
}

void TestImageViewZoom::leavingTheViewportHidesTheReadout()
{
    const VideoParameters parameters = writeClip(dir, "leave.yuv", YV12, 64, 32, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setTooltipEnabled(true);
    moveMouse(view, QPoint(3, 3));
    QVERIFY(view.pixelLabel()->isVisible());

    leaveViewport(view);

    QVERIFY(!view.pixelLabel()->isVisible());
}

void TestImageViewZoom::switchingTheReadoutOffHidesAtTheNextMove()
{
    const VideoParameters parameters = writeClip(dir, "off.yuv", YV12, 64, 32, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setTooltipEnabled(true);
    moveMouse(view, QPoint(3, 3));
    const QString shown = view.pixelLabel()->text();

    view.setTooltipEnabled(false);
    QVERIFY(view.pixelLabel()->isVisible());

    moveMouse(view, QPoint(4, 4));
    QVERIFY(!view.pixelLabel()->isVisible());
    QCOMPARE(view.pixelLabel()->text(), shown);
}

void TestImageViewZoom::readoutReadsThePannedPixel()
{
    const VideoParameters parameters = writeClip(dir, "panned.yuv", YV12, 352, 288, 1);
    ImageView view(parameters);
    view.showFrame(0);
    view.setZoomPercent(1600);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setTooltipEnabled(true);
    pressMouse(view, QPoint(400, 300));
    moveMouse(view, QPoint(80, 140), Qt::LeftButton);
    releaseMouse(view, QPoint(80, 140));

    // Panned by (320, 160) viewport pixels, 20 and 10 frame pixels at 1600 %.
    moveMouse(view, QPoint(33, 17));

    const std::size_t chroma = std::size_t((11 / 2) * 176 + 22 / 2);
    QCOMPARE(view.pixelLabel()->text(), readoutText(view, 22, 11, chroma));
}

// A difference's readout gives both videos' samples and their difference, at their
// widest for 12 bits, in a box that holds the three columns.
void TestImageViewZoom::differenceReadoutGivesBothVideosAndTheirDifference()
{
    const auto write12Bit
        = [this](const char *name, std::uint16_t y, std::uint16_t u, std::uint16_t v) {
              constexpr int width = 9;
              constexpr int height = 5;
              QByteArray bytes;
              for (const std::uint16_t sample : { y, u, v }) {
                  for (int i = 0; i < width * height; ++i)
                      bytes.append(char(sample & 0xff)).append(char(sample >> 8));
              }
              QFile file(QString::fromStdString(dir.filePath(name)));
              if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                  qFatal("%s cannot be written", name);
              VideoParameters record;
              record.path = dir.filePath(name);
              record.format = Yuv444p12le;
              record.width = width;
              record.height = height;
              record.frameCount = 1;
              return record;
          };
    // Words whose bits above 12 differ compare as their low 12 bits.
    const VideoDocument a(write12Bit("a.yuv", 4095, 0, 0xf800));
    const VideoDocument b(write12Bit("b.yuv", 0, 4095, 0x0800));
    Player player;
    ImageView view(std::make_unique<VideoDocument>(a, b), player);
    view.showFrame(0);
    view.setZoomPercent(800);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setTooltipEnabled(true);

    moveMouse(view, QPoint(8 * 8 + 3, 4 * 8 + 3));

    QLabel *label = view.pixelLabel();
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(),
        QStringLiteral(" X = 8  Y = 4\n        A     B    A-B\n"
                       " Y  4095     0   4095\n U     0  4095  -4095\n V  2048  2048      0"));
    QCOMPARE(label->size(), QSize(140, 80));
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    for (const QString &line : lines)
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) + 2 * 2 < label->width(),
            qPrintable(line));
    QVERIFY(label->fontMetrics().lineSpacing() * lines.size() + 2 * 2 <= label->height());
    QVERIFY(view.windowTitle().endsWith(QStringLiteral(" - PSNR Y 0.00 U 0.00 V inf")));

    // A difference has no samples of its own to write.
    const std::unique_ptr<QMenu> menu = view.makeContextMenu();
    QVERIFY(!menu->findChild<QAction *>(QStringLiteral("showValues"))->isEnabled());
    view.setValuesShown(true);
    QVERIFY(!view.valuesShown());
}

void TestImageViewZoom::copyKeepsTheCopiedPicture_data()
{
    QTest::addColumn<int>("component");
    QTest::addColumn<int>("grid");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("valuesShown");
    QTest::newRow("Ctrl+C, colour at 1600 % with values: the picture at 100 %")
        << int(ImageView::Color) << 0 << 1600 << true << true;
    QTest::newRow("menu, Y view with the 8x8 grid")
        << int(ImageView::Y) << 8 << 100 << false << false;
    QTest::newRow("Ctrl+C, U view at 50 %") << int(ImageView::U) << 0 << 50 << true << false;
}

// The clipboard keeps the view as copied, however the window goes on: another frame
// drawn into the same pixels, then the window closed.
void TestImageViewZoom::copyKeepsTheCopiedPicture()
{
    QFETCH(int, component);
    QFETCH(int, grid);
    QFETCH(int, zoom);
    QFETCH(bool, byKey);
    QFETCH(bool, valuesShown);
    const VideoParameters parameters = writeClip(dir, "copy.yuv", YV12, 32, 16, 3);
    auto view = std::make_unique<ImageView>(parameters);
    view->setComponentView(component);
    view->setGridStep(grid);
    view->showFrame(1);
    view->setZoomPercent(zoom);
    view->setValuesShown(valuesShown);
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QGuiApplication::clipboard()->clear();

    if (byKey) {
        QTest::keyClick(graphicsView(*view), Qt::Key_C, Qt::ControlModifier);
    } else {
        const std::unique_ptr<QMenu> menu = view->makeContextMenu();
        auto *copy = menu->findChild<QAction *>(QStringLiteral("copyPicture"));
        QVERIFY(copy);
        copy->trigger();
    }
    const QImage copied
        = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied.size(), QSize(32, 16));
    QCOMPARE(firstWrongPixel(*view, copied, viewreference::View(component)), -1);

    // Frame 2 differs from frame 1: a copy that followed the window's pixels would show it.
    view->showFrame(2);
    QCOMPARE(firstWrongPixel(*view, copied, viewreference::View(component)) == -1, false);
    view.reset();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), copied);
}

void TestImageViewZoom::valuesAreWrittenInsideTheirCells_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("component");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("v");
    // Screen pixels of one value's cell; empty where nothing is written.
    QTest::addColumn<QSize>("cell");
    // Lines of digits in each cell, one above the other.
    QTest::addColumn<int>("lines");
    QTest::addColumn<QRgb>("text");
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    // The widest texts: four digits, from 1600 %, and the colour view's three lines of them,
    // which need 3200 %.
    QTest::newRow("Y view of yuv444p12le at 1600 %: 4095 fits, black on white")
        << int(Yuv444p12le) << int(ImageView::Y) << 1600 << 4095 << 2048 << 2048 << QSize(16, 16)
        << 1 << black;
    QTest::newRow("colour view of yuv444p12le at 1600 %: Y alone, 4095 fits")
        << int(Yuv444p12le) << int(ImageView::Color) << 1600 << 4095 << 4095 << 4095
        << QSize(16, 16) << 1 << black;
    QTest::newRow("colour view of yuv444p12le at 3200 %: 4095 over 4095 over 4095 fits")
        << int(Yuv444p12le) << int(ImageView::Color) << 3200 << 4095 << 4095 << 4095
        << QSize(32, 32) << 3 << black;
    QTest::newRow("colour view of yuv420p10le at 3200 %: Y, U and V of each pixel")
        << int(Yuv420p10le) << int(ImageView::Color) << 3200 << 64 << 512 << 512 << QSize(32, 32)
        << 3 << white;
    QTest::newRow("colour view of gray at 3200 %: Y alone")
        << int(Gray) << int(ImageView::Color) << 3200 << 235 << 0 << 0 << QSize(32, 32) << 1
        << black;
    QTest::newRow("U view of yuv420p: once a 2x2 block, white on grey 16")
        << int(YV12) << int(ImageView::U) << 1600 << 128 << 16 << 128 << QSize(32, 32) << 1
        << white;
    QTest::newRow("V view of yuv422p: once a 2x1 block, black on grey 240")
        << int(Planar422) << int(ImageView::V) << 1600 << 128 << 128 << 240 << QSize(32, 16) << 1
        << black;
    QTest::newRow("R view of yuv420p: R = 0, white on black")
        << int(YV12) << int(ImageView::R) << 1600 << 16 << 128 << 128 << QSize(16, 16) << 1
        << white;
    QTest::newRow("Y view of gray10le at 3200 %") << int(Gray10le) << int(ImageView::Y) << 3200
                                                  << 1023 << 0 << 0 << QSize(32, 32) << 1 << black;
    QTest::newRow("U view of gray: no chroma, nothing written")
        << int(Gray) << int(ImageView::U) << 1600 << 200 << 0 << 0 << QSize() << 0 << black;
    QTest::newRow("Y view at 800 %: nothing written")
        << int(YV12) << int(ImageView::Y) << 800 << 100 << 128 << 128 << QSize() << 0 << black;
}

// Each value is written inside its cell, in the colour that contrasts with the picture
// under it, a pixel clear of the cell's edges; elsewhere the picture shows as it is.
void TestImageViewZoom::valuesAreWrittenInsideTheirCells()
{
    QFETCH(int, format);
    QFETCH(int, component);
    QFETCH(int, zoom);
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QFETCH(QSize, cell);
    QFETCH(int, lines);
    QFETCH(QRgb, text);
    constexpr int width = 4;
    constexpr int height = 2;
    const std::optional<FrameFormat> layout = FrameFormat::make(format, width, height);
    QVERIFY(layout);
    QByteArray bytes;
    const auto planeOf = [&bytes, &layout](int sample, std::size_t samples) {
        for (std::size_t i = 0; i < samples; ++i) {
            bytes.append(char(sample & 0xff));
            if (layout->bytesPerSample() == 2)
                bytes.append(char(sample >> 8));
        }
    };
    planeOf(y, layout->lumaSamples());
    if (layout->layout().subsampling != Subsampling::None) {
        planeOf(u, layout->chromaSamples());
        planeOf(v, layout->chromaSamples());
    }
    QFile file(QString::fromStdString(dir.filePath("values.yuv")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    VideoParameters parameters;
    parameters.path = dir.filePath("values.yuv");
    parameters.format = format;
    parameters.width = width;
    parameters.height = height;
    parameters.frameCount = 1;
    ImageView view(parameters);
    view.setComponentView(component);
    view.showFrame(0);
    view.setZoomPercent(zoom);
    QVERIFY(!view.valuesShown());
    const std::unique_ptr<QMenu> menu = view.makeContextMenu();
    auto *values = menu->findChild<QAction *>(QStringLiteral("showValues"));
    QVERIFY(values && values->isCheckable() && !values->isChecked());
    values->trigger();
    QVERIFY(view.valuesShown());
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QImage picture = view.document().picture();
    const int scale = zoom / 100;
    const QImage screen
        = graphicsView(view)->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(screen.width() >= width * scale && screen.height() >= height * scale);
    const auto under = [&picture, scale](int x, int y) {
        return picture.pixel(x / scale, y / scale) | 0xff000000u;
    };
    if (cell.isEmpty()) {
        for (int sy = 0; sy < height * scale; ++sy)
            for (int sx = 0; sx < width * scale; ++sx)
                QCOMPARE(screen.pixel(sx, sy), under(sx, sy));
        return;
    }
    for (int top = 0; top < height * scale; top += cell.height()) {
        for (int left = 0; left < width * scale; left += cell.width()) {
            int written = 0;
            int bands = 0;
            bool inBand = false;
            for (int sy = top; sy < top + cell.height(); ++sy) {
                const int before = written;
                for (int sx = left; sx < left + cell.width(); ++sx) {
                    const QRgb shown = screen.pixel(sx, sy);
                    const bool edge = sx == left || sy == top || sx == left + cell.width() - 1
                        || sy == top + cell.height() - 1;
                    if (shown == under(sx, sy))
                        continue;
                    QVERIFY2(!edge && shown == text,
                        qPrintable(
                            QStringLiteral("(%1, %2) shows %3").arg(sx).arg(sy).arg(shown, 8, 16)));
                    ++written;
                }
                bands += !inBand && written > before;
                inBand = written > before;
            }
            QCOMPARE(bands, lines);
            // Each line's digits take a few pixels at least.
            QVERIFY2(written >= 8,
                qPrintable(QStringLiteral("cell at (%1, %2): %3 pixels written")
                               .arg(left)
                               .arg(top)
                               .arg(written)));
        }
    }

    // Off again, the picture shows as it is.
    view.setValuesShown(false);
    const QImage clean
        = graphicsView(view)->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int sy = 0; sy < height * scale; ++sy)
        for (int sx = 0; sx < width * scale; ++sx)
            QCOMPARE(clean.pixel(sx, sy), under(sx, sy));
}

QTEST_MAIN(TestImageViewZoom)
#include "test_imageviewzoom.moc"
