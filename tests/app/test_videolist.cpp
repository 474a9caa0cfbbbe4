#include "apptesting.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "tempdir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGraphicsView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace apptesting;
using imageviewtesting::tick;

namespace {

const QBrush noBackground;
const QBrush greyBackground(QColor(242, 242, 242, 255));

QBrush backgroundOf(int row)
{
    return videoList()->item(row)->background();
}

// Everything the panel shows about the selected video, for before/after comparisons.
QStringList panelState()
{
    QStringList state;
    for (const char *name : { "leIntervalMax", "leVideoPos", "lineEditImageZoom",
             "labelVideoInfoSize", "labelVideoInfoFormat", "labelVideoInfoSpeed" })
        state << shownText(name);
    for (const char *name : { "checkBoxGrid", "checkBoxToolTip" })
        state << QString::number(mainWidget<QCheckBox>(name)->isChecked());
    for (const char *name :
        { "rbCompColor", "rbCompY", "rbCompU", "rbCompV", "rbCompR", "rbCompG", "rbCompB" })
        state << QString::number(mainWidget<QRadioButton>(name)->isChecked());
    state << mainWidget<QComboBox>("comboBoxGrid")->currentText();
    state << QString::number(zoomSlider()->value())
          << QString::number(zoomSlider()->sliderPosition());
    const auto *position = mainWidget<QSlider>("sliderVideoPos");
    state << QString::number(position->minimum()) << QString::number(position->maximum())
          << QString::number(position->sliderPosition());
    return state;
}

} // namespace

class TestVideoList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    // These two come first: the grey entries follow the additions since start.
    void everySecondAdditionIsGrey();
    void closingNeverRecoloursNorRenumbers();

    void addingReturnsEveryVideoToFrameZeroAndShowsIt();
    void readOutsAfterAdding_data();
    void readOutsAfterAdding();
    void newEntryIsCurrentAndNamedAfterTheFile();
    void selectionBringsThePanelInLine();
    void clickInAVideoWindowSelectsIt();
    void zoomIsReadBack_data();
    void zoomIsReadBack();
    void gridIsReadBack_data();
    void gridIsReadBack();
    void selectionKeepsEachVideosOwnSettings();
    void closeOnAnEmptyListDoesNothing();
    void showAndHideOnAnEmptyListDoNothing();
    void closeDeletesTheCurrentVideoAndSelectsANeighbour();
    void closingTheLastVideoLeavesThePanelAsItWas();
    void closeStopsAPlayingVideo();
    void showAndHideActOnTheCurrentVideo();
    void hiddenWindowComesBack_data();
    void hiddenWindowComesBack();
    void destroyedSlotIsConnectedAndClosesTheCurrentVideo();
    void closingTheMainWindowStopsAndClosesEveryVideo();
    void destructorDeletesEachWindowOnce();
    void compareWithListsTheVideosThatCanBeCompared();
    void colourChosenInTheMenuIsShownAndDrawn();

private:
    TempDir dir;
};

void TestVideoList::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestVideoList::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestVideoList::cleanup()
{
    closeAllVideos();
}

void TestVideoList::everySecondAdditionIsGrey()
{
    addClip(dir, "a.yuv", YV12, 16, 8, 2);
    addClip(dir, "b.yuv", YV12, 16, 8, 2);
    addClip(dir, "c.yuv", YV12, 16, 8, 2);
    QCOMPARE(backgroundOf(0), noBackground);
    QCOMPARE(backgroundOf(1), greyBackground);
    QCOMPARE(backgroundOf(2), noBackground);
}

void TestVideoList::closingNeverRecoloursNorRenumbers()
{
    // Three videos were added before this one: the next addition is the 4th.
    addClip(dir, "a.yuv", YV12, 16, 8, 2);
    addClip(dir, "b.yuv", YV12, 16, 8, 2);
    selectRow(1);
    click("pbCloseImage");
    addClip(dir, "c.yuv", YV12, 16, 8, 2);
    QCOMPARE(videoList()->item(0)->text(), QStringLiteral("a.yuv"));
    QCOMPARE(videoList()->item(1)->text(), QStringLiteral("c.yuv"));
    QCOMPARE(backgroundOf(0), greyBackground);
    QCOMPARE(backgroundOf(1), greyBackground);

    addClip(dir, "d.yuv", YV12, 16, 8, 2);
    QCOMPARE(backgroundOf(2), noBackground);
}

void TestVideoList::addingReturnsEveryVideoToFrameZeroAndShowsIt()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 10);
    click("pb5stepFF");
    QCOMPARE(first->currentFrame(), qint64(5));
    invokeSlot("on_pbHideImageWnd_clicked");
    QVERIFY(!first->isVisible());

    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 4);
    QCOMPARE(first->currentFrame(), qint64(0));
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowTitle(), QStringLiteral("first.yuv - 0/10"));
    QVERIFY(second->isVisible());
    QCOMPARE(second->windowTitle(), QStringLiteral("second.yuv - 0/4"));
}

void TestVideoList::readOutsAfterAdding_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("lastFrame");
    QTest::addColumn<int>("sliderMaximum");

    QTest::newRow("10 frames") << 10 << "9" << 9;
    QTest::newRow("one frame") << 1 << "0" << 0;
    QTest::newRow("0 frames shows -1") << 0 << "-1" << 0;
}

void TestVideoList::readOutsAfterAdding()
{
    QFETCH(int, frames);
    QFETCH(QString, lastFrame);
    QFETCH(int, sliderMaximum);

    addClip(dir, "long.yuv", YV12, 16, 8, 40);
    click("pbGoToEnd");
    ImageView *view = addClip(dir, "readout.yuv", YV12, 16, 8, frames);

    QCOMPARE(shownText("leIntervalMax"), lastFrame);
    QCOMPARE(shownText("leVideoPos"), lastFrame);
    const auto *position = mainWidget<QSlider>("sliderVideoPos");
    QCOMPARE(position->minimum(), 0);
    QCOMPARE(position->maximum(), sliderMaximum);
    QCOMPARE(position->tickInterval(), sliderMaximum);
    QCOMPARE(position->sliderPosition(), 0);
    QCOMPARE(view->currentFrame(), qint64(0));
    QCOMPARE(view->windowTitle(), QStringLiteral("readout.yuv - 0/%1").arg(frames));
}

void TestVideoList::newEntryIsCurrentAndNamedAfterTheFile()
{
    addClip(dir, "one.yuv", YV12, 16, 8, 2);
    ImageView *two = addClip(dir, "two.yuv", YV12, 16, 8, 2);
    QCOMPARE(videoList()->currentRow(), 1);
    QCOMPARE(videoList()->item(1)->text(), QStringLiteral("two.yuv"));
    QCOMPARE(MainWindow::instance().currentVideoWindow(), two);
    QVERIFY(two->parentWidget() == nullptr);
}

void TestVideoList::selectionBringsThePanelInLine()
{
    ImageView *wide = addClip(dir, "wide.yuv", UYVY, 32, 16, 3);
    wide->setZoomPercent(200);
    wide->setGridStep(16);
    wide->setTooltipEnabled(true);
    wide->setComponentView(ImageView::V);
    addClip(dir, "small.yuv", YV12, 16, 8, 3);

    selectRow(0);
    QCOMPARE(MainWindow::instance().currentVideoWindow(), wide);
    QVERIFY(mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    QCOMPARE(mainWidget<QComboBox>("comboBoxGrid")->currentText(), QStringLiteral("16x16"));
    QVERIFY(mainWidget<QCheckBox>("checkBoxToolTip")->isChecked());
    QCOMPARE(zoomSlider()->sliderPosition(), 60);
    QCOMPARE(zoomSlider()->value(), 60);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("200"));
    QCOMPARE(shownText("labelVideoInfoSize"), QStringLiteral("32 x 16"));
    QCOMPARE(shownText("labelVideoInfoFormat"), QStringLiteral("UYVY"));
    QCOMPARE(shownText("labelVideoInfoSpeed"), QStringLiteral("25"));
    QVERIFY(mainWidget<QRadioButton>("rbCompV")->isChecked());

    selectRow(1);
    QVERIFY(!mainWidget<QCheckBox>("checkBoxGrid")->isChecked());
    QCOMPARE(mainWidget<QComboBox>("comboBoxGrid")->currentText(), QStringLiteral("none"));
    QVERIFY(!mainWidget<QCheckBox>("checkBoxToolTip")->isChecked());
    QCOMPARE(zoomSlider()->sliderPosition(), 40);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("100"));
    QCOMPARE(shownText("labelVideoInfoSize"), QStringLiteral("16 x 8"));
    QCOMPARE(shownText("labelVideoInfoFormat"), QStringLiteral("YV12"));
    QVERIFY(mainWidget<QRadioButton>("rbCompColor")->isChecked());
}

void TestVideoList::clickInAVideoWindowSelectsIt()
{
    ImageView *wide = addClip(dir, "wide.yuv", UYVY, 32, 16, 3);
    wide->setZoomPercent(200);
    ImageView *small = addClip(dir, "small.yuv", YV12, 16, 8, 3);
    QCOMPARE(videoList()->currentRow(), 1);

    // A window that a step shows again, or that is raised and activated, is not clicked.
    wide->hide();
    click("pb1stepFF");
    QVERIFY(wide->isVisible());
    wide->raise();
    wide->activateWindow();
    QCoreApplication::processEvents();
    QCOMPARE(videoList()->currentRow(), 1);

    QTest::mouseClick(wide->findChild<QGraphicsView *>()->viewport(), Qt::LeftButton,
        Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(videoList()->currentRow(), 0);
    QCOMPARE(zoomSlider()->value(), 60);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("200"));
    QCOMPARE(shownText("labelVideoInfoSize"), QStringLiteral("32 x 16"));

    // The view controls now act on the window clicked.
    click("rbCompY");
    QCOMPARE(wide->component(), int(ImageView::Y));
    QCOMPARE(small->component(), int(ImageView::Color));
}

void TestVideoList::zoomIsReadBack_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("shown");

    QTest::newRow("12 %, the first preset") << 12 << 0 << "12";
    QTest::newRow("25 %") << 25 << 10 << "25";
    QTest::newRow("75 %") << 75 << 30 << "75";
    QTest::newRow("100 %") << 100 << 40 << "100";
    QTest::newRow("150 %") << 150 << 50 << "150";
    QTest::newRow("3200 %, the last preset") << 3200 << 100 << "3200";
}

void TestVideoList::zoomIsReadBack()
{
    QFETCH(int, percent);
    QFETCH(int, position);
    QFETCH(QString, shown);

    ImageView *zoomed = addClip(dir, "zoomed.yuv", YV12, 16, 8, 2);
    addClip(dir, "other.yuv", YV12, 16, 8, 2);
    zoomed->setZoomPercent(percent);
    selectRow(0);

    QCOMPARE(zoomSlider()->sliderPosition(), position);
    QCOMPARE(zoomSlider()->value(), position);
    QCOMPARE(shownText("lineEditImageZoom"), shown);
    QCOMPARE(qRound(zoomed->zoomFactor() * 100), percent);
}

void TestVideoList::gridIsReadBack_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("choice");

    QTest::newRow("no grid") << 0 << false << "none";
    QTest::newRow("4 pixels") << 4 << true << "4x4";
    QTest::newRow("8 pixels") << 8 << true << "8x8";
    QTest::newRow("16 pixels") << 16 << true << "16x16";
    QTest::newRow("32 pixels") << 32 << true << "32x32";
}

void TestVideoList::gridIsReadBack()
{
    QFETCH(int, step);
    QFETCH(bool, checked);
    QFETCH(QString, choice);

    ImageView *gridded = addClip(dir, "gridded.yuv", YV12, 64, 64, 2);
    ImageView *other = addClip(dir, "other.yuv", YV12, 16, 8, 2);
    other->setGridStep(step == 8 ? 16 : 8);
    gridded->setGridStep(step);
    selectRow(1);
    selectRow(0);

    QCOMPARE(mainWidget<QCheckBox>("checkBoxGrid")->isChecked(), checked);
    QCOMPARE(mainWidget<QComboBox>("comboBoxGrid")->currentText(), choice);
    // Reading the panel back re-applies the same step, never another one.
    QCOMPARE(gridded->gridStep(), step);
}

void TestVideoList::selectionKeepsEachVideosOwnSettings()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    first->setZoomPercent(400);
    first->setGridStep(32);
    first->setComponentView(ImageView::B);
    second->setZoomPercent(25);

    selectRow(0);
    selectRow(1);
    selectRow(0);
    QCOMPARE(first->zoomFactor(), 4.0);
    QCOMPARE(first->gridStep(), 32);
    QCOMPARE(first->component(), int(ImageView::B));
    QCOMPARE(second->zoomFactor(), 0.25);
    QCOMPARE(second->gridStep(), 0);
    QCOMPARE(second->component(), int(ImageView::Color));
}

void TestVideoList::closeOnAnEmptyListDoesNothing()
{
    const QStringList before = panelState();
    click("pbCloseImage");
    QCOMPARE(videoCount(), 0);
    QCOMPARE(panelState(), before);
}

void TestVideoList::showAndHideOnAnEmptyListDoNothing()
{
    const QStringList before = panelState();
    invokeSlot("on_pbShowImageWnd_clicked");
    invokeSlot("on_pbHideImageWnd_clicked");
    QVERIFY(!MainWindow::instance().currentVideoWindow());
    QCOMPARE(panelState(), before);
}

void TestVideoList::closeDeletesTheCurrentVideoAndSelectsANeighbour()
{
    QPointer<ImageView> a = addClip(dir, "a.yuv", YV12, 16, 8, 2);
    QPointer<ImageView> b = addClip(dir, "b.yuv", UYVY, 16, 8, 2);
    QPointer<ImageView> c = addClip(dir, "c.yuv", YV12, 32, 32, 2);
    selectRow(1);

    click("pbCloseImage");
    QVERIFY(b.isNull());
    QVERIFY(!a.isNull());
    QVERIFY(!c.isNull());
    QCOMPARE(videoCount(), 2);
    QCOMPARE(videoList()->item(0)->text(), QStringLiteral("a.yuv"));
    QCOMPARE(videoList()->item(1)->text(), QStringLiteral("c.yuv"));
    ImageView *neighbour = MainWindow::instance().currentVideoWindow();
    QVERIFY(neighbour == a || neighbour == c);
    QCOMPARE(shownText("labelVideoInfoSize"),
        QStringLiteral("%1 x %2")
            .arg(neighbour->document().format().width())
            .arg(neighbour->document().format().height()));
}

void TestVideoList::closingTheLastVideoLeavesThePanelAsItWas()
{
    ImageView *only = addClip(dir, "only.yuv", UYVY, 32, 16, 7);
    only->setZoomPercent(200);
    only->setGridStep(8);
    only->setComponentView(ImageView::R);
    addClip(dir, "spare.yuv", YV12, 16, 8, 2);
    selectRow(1);
    click("pbCloseImage");
    QCOMPARE(videoList()->currentRow(), 0);

    const QStringList before = panelState();
    QCOMPARE(before.at(2), QStringLiteral("200"));
    QCOMPARE(before.at(3), QStringLiteral("32 x 16"));
    click("pbCloseImage");
    QCOMPARE(videoCount(), 0);
    QCOMPARE(panelState(), before);
}

void TestVideoList::closeStopsAPlayingVideo()
{
    QPointer<ImageView> playing = addClip(dir, "playing.yuv", YV12, 16, 8, 5);
    const QTimer &clock = MainWindow::instance().player().clock();
    click("pbStartPlay");
    QVERIFY(clock.isActive());
    click("pbCloseImage");
    QVERIFY(playing.isNull());
    QVERIFY(!clock.isActive());
}

void TestVideoList::showAndHideActOnTheCurrentVideo()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    selectRow(0);

    invokeSlot("on_pbHideImageWnd_clicked");
    QVERIFY(!first->isVisible());
    QVERIFY(second->isVisible());
    invokeSlot("on_pbShowImageWnd_clicked");
    QVERIFY(first->isVisible());
    QCOMPARE(videoCount(), 2);
}

void TestVideoList::hiddenWindowComesBack_data()
{
    QTest::addColumn<QString>("hiding");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("shown");

    // Hidden by a call, closed by its title bar, or hidden with the Hide button while
    // another video is the current one; any drawing shows it again, at the frame drawn.
    QTest::newRow("hidden, frame 1 drawn") << "hide"
                                           << "frame 1" << 1;
    QTest::newRow("hidden, G view chosen") << "hide"
                                           << "G view" << 0;
    QTest::newRow("hidden, grid step 2 chosen") << "hide"
                                                << "grid 2" << 0;
    QTest::newRow("closed, next play tick") << "close"
                                            << "tick" << 1;
    QTest::newRow("Hide button, next play tick") << "Hide button"
                                                 << "tick" << 1;
    const struct
    {
        const char *button;
        int shown;
    } steps[] = { { "pbGoToStart", 0 }, { "pb5stepRew", 9 }, { "pb1stepRew", 9 },
        { "pb1stepFF", 1 }, { "pb5stepFF", 5 }, { "pbGoToEnd", 9 } };
    for (const char *hiding : { "hide", "close" }) {
        for (const auto &step : steps) {
            QTest::addRow(
                "%s, %s", hiding == QLatin1String("hide") ? "hidden" : "closed", step.button)
                << hiding << step.button << step.shown;
        }
    }
}

void TestVideoList::hiddenWindowComesBack()
{
    QFETCH(QString, hiding);
    QFETCH(QString, action);
    QFETCH(int, shown);
    ImageView *view = addClip(dir, "hidden.yuv", YV12, 16, 8, 10);
    addClip(dir, "other.yuv", YV12, 16, 8, 10);
    if (action == QLatin1String("tick"))
        click("pbStartPlay");

    if (hiding == QLatin1String("hide")) {
        view->hide();
    } else if (hiding == QLatin1String("close")) {
        QVERIFY(view->close());
    } else {
        selectRow(0);
        invokeSlot("on_pbHideImageWnd_clicked");
        selectRow(1);
    }
    QVERIFY(!view->isVisible());

    if (action == QLatin1String("frame 1")) {
        view->showFrame(1);
    } else if (action == QLatin1String("G view")) {
        view->setComponentView(ImageView::G);
    } else if (action == QLatin1String("grid 2")) {
        view->setGridStep(2);
    } else if (action == QLatin1String("tick")) {
        // Hidden, the video keeps playing.
        QVERIFY(view->isPlaying());
        tick(*view);
    } else {
        click(action.toLatin1().constData());
    }

    QVERIFY(view->isVisible());
    QCOMPARE(view->currentFrame(), qint64(shown));
    QCOMPARE(view->windowTitle(), QStringLiteral("hidden.yuv - %1/10").arg(shown));
}

void TestVideoList::destroyedSlotIsConnectedAndClosesTheCurrentVideo()
{
    {
        // Only a connection that exists can be cut.
        MainWindow probe;
        QVERIFY(QObject::disconnect(&probe, &QObject::destroyed, &probe, nullptr));
    }

    QPointer<ImageView> first = addClip(dir, "first.yuv", YV12, 16, 8, 2);
    QPointer<ImageView> second = addClip(dir, "second.yuv", YV12, 16, 8, 2);
    invokeSlot("on_MainWindow_destroyed");
    QVERIFY(second.isNull());
    QVERIFY(!first.isNull());
    QCOMPARE(videoCount(), 1);
}

void TestVideoList::closingTheMainWindowStopsAndClosesEveryVideo()
{
    QPointer<ImageView> first = addClip(dir, "first.yuv", YV12, 16, 8, 5);
    QPointer<ImageView> second = addClip(dir, "second.yuv", YV12, 16, 8, 9);
    click("pbStartPlay");
    QVERIFY(first->isPlaying() && second->isPlaying());

    MainWindow &window = MainWindow::instance();
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    for (const QPointer<ImageView> &view : { first, second }) {
        QVERIFY(!view.isNull());
        QVERIFY(!view->isPlaying());
        QVERIFY(!view->isVisible());
    }
    QCOMPARE(videoCount(), 2);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

void TestVideoList::destructorDeletesEachWindowOnce()
{
    int destroyed = 0;
    QList<QPointer<ImageView>> views;
    for (const char *name : { "a.yuv", "b.yuv", "c.yuv" }) {
        ImageView *view = addClip(dir, name, YV12, 16, 8, 4);
        connect(view, &QObject::destroyed, this, [&destroyed] { ++destroyed; });
        views << view;
    }
    click("pbStartPlay");

    MainWindow::releaseInstance();
    QCOMPARE(destroyed, 3);
    for (const QPointer<ImageView> &view : views)
        QVERIFY(view.isNull());

    startApplication();
    QCOMPARE(videoCount(), 0);
}

// The right-click menu offers the listed videos of the same size, subsampling and depth,
// whatever their storage, and opens their difference as one more listed video.
void TestVideoList::compareWithListsTheVideosThatCanBeCompared()
{
    const auto offered = [](ImageView *view) {
        QStringList names;
        const std::unique_ptr<QMenu> menu = view->makeContextMenu();
        QMenu *compare = menu->actions().value(0)->menu();
        if (!compare || compare->title() != QStringLiteral("Compare with"))
            return QStringList { QStringLiteral("no Compare with") };
        if (!compare->isEnabled())
            names << QStringLiteral("(disabled)");
        for (const QAction *action : compare->actions())
            names << action->text();
        return names;
    };
    ImageView *a = addClip(dir, "a.yuv", YV12, 16, 8, 3);
    addClip(dir, "b.nv12", Nv12, 16, 8, 4);
    ImageView *wider = addClip(dir, "wider.yuv", YV12, 32, 8, 3);
    ImageView *c = addClip(dir, "c.yuv", Planar422, 16, 8, 3);
    addClip(dir, "d.yuv", Yuv420p10le, 16, 8, 3);
    QDir(QString::fromStdString(dir.path())).mkdir(QStringLiteral("other"));
    addClip(dir, "other/a.yuv", Yvu420p, 16, 8, 2);

    QCOMPARE(
        offered(a), QStringList({ "b.nv12", QString::fromStdString(dir.filePath("other/a.yuv")) }));
    QCOMPARE(offered(wider), QStringList { "(disabled)" });
    QCOMPARE(offered(c), QStringList { "(disabled)" });

    const std::unique_ptr<QMenu> menu = a->makeContextMenu();
    menu->actions().value(0)->menu()->actions().value(0)->trigger();
    QCOMPARE(videoCount(), 7);
    ImageView *difference = videoAt(6);
    QCOMPARE(videoList()->item(6)->text(), QStringLiteral("a.yuv vs b.nv12"));
    QCOMPARE(difference->frameCount(), qint64(3));
    QVERIFY2(
        difference->windowTitle().startsWith(QStringLiteral("a.yuv vs b.nv12 - 0/3 - PSNR Y ")),
        qPrintable(difference->windowTitle()));
    // A difference is compared with nothing, and nothing with it.
    QCOMPARE(offered(difference), QStringList { "(disabled)" });
    QVERIFY(!offered(a).contains(QStringLiteral("a.yuv vs b.nv12")));

    // It steps with the others, within its own count.
    click("pbGoToEnd");
    QCOMPARE(difference->currentFrame(), qint64(2));
    QCOMPARE(videoAt(1)->currentFrame(), qint64(3));
}

void TestVideoList::colourChosenInTheMenuIsShownAndDrawn()
{
    // Clicks an entry of the menu's Matrix or Range; its entries checked before the click,
    // "(disabled)" for a greyed submenu.
    const auto choose = [](ImageView *view, const QString &title, const QString &entry) {
        QStringList checked;
        const std::unique_ptr<QMenu> menu = view->makeContextMenu();
        for (QMenu *submenu : menu->findChildren<QMenu *>()) {
            if (submenu->title() != title)
                continue;
            if (!submenu->isEnabled())
                return QStringList { QStringLiteral("(disabled)") };
            for (QAction *action : submenu->actions()) {
                if (action->isChecked())
                    checked << action->text();
            }
            for (QAction *action : submenu->actions()) {
                if (action->text() == entry)
                    action->trigger();
            }
        }
        return checked;
    };
    ImageView *view = addClip(dir, "colour.yuv", YV12, 64, 32, 1);
    addClip(dir, "other.yuv", YV12, 64, 32, 1);
    selectRow(0);
    QCOMPARE(shownText("labelVideoInfoColour"), QStringLiteral("BT.601 limited"));
    const QImage bt601 = imageviewtesting::shownPicture(*view);

    QCOMPARE(choose(view, "Matrix", "BT.709"), QStringList { "BT.601" });
    QCOMPARE(shownText("labelVideoInfoColour"), QStringLiteral("BT.709 limited"));
    QCOMPARE(choose(view, "Matrix", ""), QStringList { "BT.709" });
    QVERIFY(imageviewtesting::shownPicture(*view) != bt601);
    QCOMPARE(imageviewtesting::firstWrongPixel(
                 *view, imageviewtesting::shownPicture(*view), viewreference::Color),
        -1);

    QCOMPARE(choose(view, "Range", "Full"), QStringList { "Limited" });
    QCOMPARE(shownText("labelVideoInfoColour"), QStringLiteral("BT.709 full"));
    QCOMPARE(imageviewtesting::firstWrongPixel(
                 *view, imageviewtesting::shownPicture(*view), viewreference::Color),
        -1);
    // The other video keeps its own.
    QCOMPARE(videoAt(1)->document().format().matrix(), ColourMatrix::Bt601);

    // A difference is drawn in no video's colour.
    emit view->compareRequested(&videoAt(1)->document());
    QCOMPARE(videoCount(), 3);
    QCOMPARE(choose(videoAt(2), "Matrix", "BT.2020"), QStringList { "(disabled)" });
    QCOMPARE(choose(videoAt(2), "Range", "Full"), QStringList { "(disabled)" });
    selectRow(2);
    QCOMPARE(shownText("labelVideoInfoColour"), QString());
}

QTEST_MAIN(TestVideoList)
#include "test_videolist.moc"
