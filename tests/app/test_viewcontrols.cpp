#include "apptesting.h"
#include "imageview.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <memory>

using namespace apptesting;

namespace {

constexpr int gridWidth = 32;
constexpr int gridHeight = 16;

QComboBox *gridCombo()
{
    return mainWidget<QComboBox>("comboBoxGrid");
}

// A drag of the zoom handle to `position`, without releasing it.
void dragZoomTo(int position)
{
    zoomSlider()->setSliderDown(true);
    zoomSlider()->setSliderPosition(position);
}

void releaseZoom()
{
    zoomSlider()->setSliderDown(false);
}

// Row 1 of the luma plane: grid columns read 200, the rest the clip's own samples.
bool lumaRowHasGrid(const ImageView *view, int frame, int step)
{
    for (int x = 0; x < gridWidth; ++x) {
        const std::uint8_t expected = step > 0 && x % step == 0
            ? 200
            : testclips::clipSample(YV12, gridWidth, gridHeight, frame, testclips::Plane::Y, x, 1);
        if (view->document().frame().y()[gridWidth + x] != expected)
            return false;
    }
    return true;
}

// A video window that is not listed: no control may ever reach it.
std::unique_ptr<ImageView> unlistedView(const TempDir &dir)
{
    auto view = std::make_unique<ImageView>(writeClip(dir, "unlisted.yuv", YV12, 16, 8, 3));
    view->showFrame(1);
    return view;
}

void verifyUntouched(const ImageView &view)
{
    QCOMPARE(view.zoomFactor(), 1.0);
    QCOMPARE(view.component(), int(ImageView::Color));
    QCOMPARE(view.gridStep(), 0);
    QCOMPARE(view.tooltipEnabled(), false);
    QCOMPARE(view.currentFrame(), qint64(1));
}

} // namespace

class TestViewControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void dragSnapsAndReleaseApplies_data();
    void dragSnapsAndReleaseApplies();
    void valueHandlerUsesTheSliderPosition();
    void keyboardStepAppliesAtOnce();
    void plusAndMinusKeysStepTheZoom_data();
    void plusAndMinusKeysStepTheZoom();
    void zoomWithAnEmptyListMovesOnlyTheSlider();
    void twoVideosKeepTheirOwnZoom();
    void moveUpSlotZoomsTheCurrentVideoToHalf();

    void componentButtonsActOnTheCurrentVideo_data();
    void componentButtonsActOnTheCurrentVideo();
    void componentButtonsWithAnEmptyListDoNothing();

    void gridChoicesMeanWhatTheySay_data();
    void gridChoicesMeanWhatTheySay();
    void uncheckingTheGridBoxRemovesTheGrid();
    void gridChoiceWithTheBoxUncheckedStillReloads();
    void gridControlsWithAnEmptyListDoNothing();

    void tooltipBoxIsPerVideo();
    void tooltipBoxWithAnEmptyListDoesNothing();

private:
    TempDir dir;
};

void TestViewControls::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestViewControls::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestViewControls::init()
{
    // Every test starts from the panel of an unzoomed video without grid.
    addClip(dir, "reset.yuv", YV12, 16, 8, 2);
    closeAllVideos();
}

void TestViewControls::cleanup()
{
    releaseZoom();
    closeAllVideos();
}

void TestViewControls::dragSnapsAndReleaseApplies_data()
{
    QTest::addColumn<int>("dragTo");
    QTest::addColumn<int>("handle");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("zoomAfterRelease");

    QTest::newRow("40 to 43 snaps back") << 43 << 40 << "100" << 1.0;
    QTest::newRow("40 to 45 snaps back") << 45 << 40 << "100" << 1.0;
    QTest::newRow("40 to 47 goes to 50") << 47 << 50 << "150" << 1.5;
    QTest::newRow("40 to 61 goes to 70, not 60") << 61 << 70 << "400" << 4.0;
    QTest::newRow("40 to 18 goes to 10") << 18 << 10 << "25" << 0.25;
    QTest::newRow("40 to 100") << 100 << 100 << "3200" << 32.0;
    QTest::newRow("40 to 0") << 0 << 0 << "12" << 0.12;
}

void TestViewControls::dragSnapsAndReleaseApplies()
{
    QFETCH(int, dragTo);
    QFETCH(int, handle);
    QFETCH(QString, shown);
    QFETCH(double, zoomAfterRelease);

    ImageView *view = addClip(dir, "zoom.yuv", YV12, 16, 8, 2);
    QCOMPARE(zoomSlider()->value(), 40);

    dragZoomTo(dragTo);
    QCOMPARE(zoomSlider()->sliderPosition(), handle);
    QCOMPARE(zoomSlider()->value(), 40);
    QCOMPARE(shownText("lineEditImageZoom"), shown);
    QCOMPARE(view->zoomFactor(), 1.0);

    releaseZoom();
    QCOMPARE(zoomSlider()->value(), handle);
    QCOMPARE(zoomSlider()->sliderPosition(), handle);
    QCOMPARE(shownText("lineEditImageZoom"), shown);
    QCOMPARE(view->zoomFactor(), zoomAfterRelease);
}

void TestViewControls::valueHandlerUsesTheSliderPosition()
{
    ImageView *view = addClip(dir, "fifteen.yuv", YV12, 16, 8, 2);
    zoomSlider()->setSliderPosition(15);
    QCOMPARE(zoomSlider()->value(), 40);
    // What a release does: the value follows the handle.
    zoomSlider()->triggerAction(QAbstractSlider::SliderMove);
    QCOMPARE(zoomSlider()->value(), 15);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("25"));
    QCOMPARE(view->zoomFactor(), 0.25);
}

void TestViewControls::keyboardStepAppliesAtOnce()
{
    ImageView *view = addClip(dir, "keys.yuv", YV12, 16, 8, 2);
    QTest::keyClick(zoomSlider(), Qt::Key_Right);
    QCOMPARE(zoomSlider()->value(), 50);
    QCOMPARE(view->zoomFactor(), 1.5);
    QTest::keyClick(zoomSlider(), Qt::Key_Left);
    QTest::keyClick(zoomSlider(), Qt::Key_Left);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("75"));
    QCOMPARE(view->zoomFactor(), 0.75);
}

void TestViewControls::plusAndMinusKeysStepTheZoom_data()
{
    QTest::addColumn<bool>("inSelected");
    QTest::addColumn<int>("startPercent");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("percent");

    QTest::newRow("+ in the selected video") << true << 100 << "+" << 150;
    QTest::newRow("- in the selected video") << true << 100 << "-" << 75;
    QTest::newRow("+ at 3200 % stays") << true << 3200 << "+" << 3200;
    QTest::newRow("- at 12 % stays") << true << 12 << "-" << 12;
    QTest::newRow("+ in the other video") << false << 200 << "+" << 400;
    // Typed together, the keys still stop at the ends one by one.
    QTest::newRow("+++- from 1600 % goes back from 3200 %") << true << 1600 << "+++-" << 1600;
    QTest::newRow("--+ from 25 % in the other video") << false << 25 << "--+" << 25;
    QTest::newRow("++ from 100 %") << true << 100 << "++" << 200;
}

// The slider and field follow the selected video's zoom, and only that.
void TestViewControls::plusAndMinusKeysStepTheZoom()
{
    QFETCH(bool, inSelected);
    QFETCH(int, startPercent);
    QFETCH(QString, keys);
    QFETCH(int, percent);

    ImageView *other = addClip(dir, "other.yuv", YV12, 16, 8, 2);
    ImageView *selected = addClip(dir, "selected.yuv", YV12, 16, 8, 2);
    ImageView *typedIn = inSelected ? selected : other;
    typedIn->setZoomPercent(startPercent);
    selectRow(0);
    selectRow(1);

    for (const QChar key : keys)
        QTest::keyClick(typedIn->findChild<QGraphicsView *>(),
            key == QLatin1Char('+') ? Qt::Key_Plus : Qt::Key_Minus);
    // The keys zoom once the events before them are handled.
    QCoreApplication::processEvents();
    QCOMPARE(qRound(typedIn->zoomFactor() * 100), percent);
    const int shown = inSelected ? percent : 100;
    QCOMPARE(zoomSlider()->value(), MainWindow::zoomSliderPosition(shown));
    QCOMPARE(shownText("lineEditImageZoom"), QString::number(shown));
    if (!inSelected)
        QCOMPARE(selected->zoomFactor(), 1.0);
}

void TestViewControls::zoomWithAnEmptyListMovesOnlyTheSlider()
{
    const std::unique_ptr<ImageView> bystander = unlistedView(dir);
    dragZoomTo(61);
    releaseZoom();
    QCOMPARE(zoomSlider()->value(), 70);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("400"));
    verifyUntouched(*bystander);
}

void TestViewControls::twoVideosKeepTheirOwnZoom()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    selectRow(0);
    dragZoomTo(57);
    releaseZoom();
    QCOMPARE(first->zoomFactor(), 2.0);

    selectRow(1);
    QCOMPARE(zoomSlider()->sliderPosition(), 40);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("100"));
    dragZoomTo(66);
    releaseZoom();
    QCOMPARE(second->zoomFactor(), 4.0);
    QCOMPARE(first->zoomFactor(), 2.0);

    selectRow(0);
    QCOMPARE(zoomSlider()->value(), 60);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("200"));
}

void TestViewControls::moveUpSlotZoomsTheCurrentVideoToHalf()
{
    invokeSlot("on_pbMoveUpImageItem_clicked");
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    invokeSlot("on_pbMoveUpImageItem_clicked");
    QCOMPARE(second->zoomFactor(), 0.5);
    QCOMPARE(first->zoomFactor(), 1.0);
}

void TestViewControls::componentButtonsActOnTheCurrentVideo_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("component");

    QTest::newRow("Y") << "rbCompY" << int(ImageView::Y);
    QTest::newRow("U") << "rbCompU" << int(ImageView::U);
    QTest::newRow("V") << "rbCompV" << int(ImageView::V);
    QTest::newRow("R") << "rbCompR" << int(ImageView::R);
    QTest::newRow("G") << "rbCompG" << int(ImageView::G);
    QTest::newRow("B") << "rbCompB" << int(ImageView::B);
}

void TestViewControls::componentButtonsActOnTheCurrentVideo()
{
    QFETCH(QString, button);
    QFETCH(int, component);

    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 4);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 4);
    first->showFrame(2);
    selectRow(0);
    click(button.toLatin1().constData());
    QCOMPARE(first->component(), component);
    QCOMPARE(second->component(), int(ImageView::Color));
    QCOMPARE(first->windowTitle(), QStringLiteral("first.yuv - 2/4"));

    click("rbCompColor");
    QCOMPARE(first->component(), int(ImageView::Color));
}

void TestViewControls::componentButtonsWithAnEmptyListDoNothing()
{
    const std::unique_ptr<ImageView> bystander = unlistedView(dir);
    click("rbCompU");
    QVERIFY(mainWidget<QRadioButton>("rbCompU")->isChecked());
    verifyUntouched(*bystander);
    click("rbCompColor");
}

void TestViewControls::gridChoicesMeanWhatTheySay_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("step");

    QTest::newRow("none") << 0 << 0;
    QTest::newRow("4x4 every 4 pixels") << 1 << 4;
    QTest::newRow("8x8 every 8 pixels") << 2 << 8;
    QTest::newRow("16x16 every 16 pixels") << 3 << 16;
    QTest::newRow("32x32 every 32 pixels") << 4 << 32;
}

void TestViewControls::gridChoicesMeanWhatTheySay()
{
    QFETCH(int, choice);
    QFETCH(int, step);

    ImageView *gridded = addClip(dir, "gridded.yuv", YV12, gridWidth, gridHeight, 3);
    ImageView *other = addClip(dir, "other.yuv", YV12, gridWidth, gridHeight, 3);
    selectRow(0);
    gridded->showFrame(1);

    click("checkBoxGrid");
    QVERIFY(mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    gridCombo()->setCurrentIndex(choice);
    QCOMPARE(gridded->gridStep(), step);
    QVERIFY(lumaRowHasGrid(gridded, 1, step));
    QCOMPARE(gridded->currentFrame(), qint64(1));
    QCOMPARE(other->gridStep(), 0);
    QVERIFY(lumaRowHasGrid(other, 0, 0));
}

void TestViewControls::uncheckingTheGridBoxRemovesTheGrid()
{
    ImageView *view = addClip(dir, "grid.yuv", YV12, gridWidth, gridHeight, 2);
    click("checkBoxGrid");
    gridCombo()->setCurrentIndex(2);
    QVERIFY(lumaRowHasGrid(view, 0, 8));
    click("checkBoxGrid");
    QVERIFY(!mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    QCOMPARE(view->gridStep(), 0);
    QVERIFY(lumaRowHasGrid(view, 0, 0));
}

void TestViewControls::gridChoiceWithTheBoxUncheckedStillReloads()
{
    ImageView *view = addClip(dir, "reload.yuv", YV12, gridWidth, gridHeight, 2);
    QVERIFY(!mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    // New bytes on disk show only if the frame is read again.
    const std::vector<std::uint8_t> marker(gridWidth, 77);
    QVERIFY(testfiles::writeAt(view->document().path(), 0, marker.data(), marker.size()));
    gridCombo()->setCurrentIndex(2);
    QCOMPARE(view->gridStep(), 0);
    QCOMPARE(view->document().frame().y()[0], std::uint8_t(77));
    QCOMPARE(view->document().frame().y()[gridWidth - 1], std::uint8_t(77));
}

void TestViewControls::gridControlsWithAnEmptyListDoNothing()
{
    const std::unique_ptr<ImageView> bystander = unlistedView(dir);
    click("checkBoxGrid");
    gridCombo()->setCurrentIndex(4);
    QVERIFY(mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    verifyUntouched(*bystander);
    click("checkBoxGrid");
    gridCombo()->setCurrentIndex(0);
}

void TestViewControls::tooltipBoxIsPerVideo()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    selectRow(0);
    click("checkBoxToolTip");
    QVERIFY(first->tooltipEnabled());
    QVERIFY(!second->tooltipEnabled());

    selectRow(1);
    QVERIFY(!mainWidget<QCheckBox>("checkBoxToolTip")->isChecked());
    click("checkBoxToolTip");
    QVERIFY(second->tooltipEnabled());
    click("checkBoxToolTip");
    QVERIFY(!second->tooltipEnabled());
    QVERIFY(first->tooltipEnabled());
}

void TestViewControls::tooltipBoxWithAnEmptyListDoesNothing()
{
    const std::unique_ptr<ImageView> bystander = unlistedView(dir);
    click("checkBoxToolTip");
    QVERIFY(mainWidget<QCheckBox>("checkBoxToolTip")->isChecked());
    verifyUntouched(*bystander);
    click("checkBoxToolTip");
}

QTEST_MAIN(TestViewControls)
#include "test_viewcontrols.moc"
