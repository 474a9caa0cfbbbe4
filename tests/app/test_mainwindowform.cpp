#include "apptesting.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <memory>

using apptesting::shownText;

namespace {

struct FormRow {
    const char *name;
    const char *className;
    const char *parent;
    QRect geometry;
    const char *text; // nullptr: the widget has neither text nor title
};

// The main window's widgets in creation order.
const FormRow formRows[] = {
    {"pbOpenImage", "QPushButton", "centralWidget", {14, 11, 40, 40}, ""},
    {"pbCloseImage", "QPushButton", "centralWidget", {14, 188, 40, 40}, ""},
    {"pbGoToStart", "QPushButton", "centralWidget", {286, 10, 41, 21}, "|<<"},
    {"pb5stepRew", "QPushButton", "centralWidget", {329, 10, 40, 21}, "<<"},
    {"pb1stepRew", "QPushButton", "centralWidget", {371, 10, 40, 21}, "<"},
    {"pbStartPlay", "QPushButton", "centralWidget", {414, 10, 40, 21}, "Play"},
    {"pbStopPlay", "QPushButton", "centralWidget", {458, 10, 41, 21}, "||"},
    {"pb1stepFF", "QPushButton", "centralWidget", {501, 10, 40, 21}, ">"},
    {"pb5stepFF", "QPushButton", "centralWidget", {544, 10, 40, 21}, ">>"},
    {"pbGoToEnd", "QPushButton", "centralWidget", {586, 10, 41, 21}, ">>|"},
    {"groupBox", "QGroupBox", "centralWidget", {286, 35, 261, 51}, "Interval"},
    {"label", "QLabel", "groupBox", {10, 20, 31, 17}, "From"},
    {"leIntervalFrom", "QLineEdit", "groupBox", {38, 20, 51, 21}, "0"},
    {"label_2", "QLabel", "groupBox", {106, 21, 21, 17}, "To"},
    {"leIntervalTo", "QLineEdit", "groupBox", {120, 20, 51, 21}, "0"},
    {"label_3", "QLabel", "groupBox", {183, 20, 31, 17}, "Max"},
    {"leIntervalMax", "QLineEdit", "groupBox", {205, 20, 51, 21}, "0"},
    {"groupBox_2", "QGroupBox", "centralWidget", {286, 88, 261, 91}, "Zoom"},
    {"sliderImageZoom", "QSlider", "groupBox_2", {12, 29, 241, 25}, nullptr},
    {"lineEditImageZoom", "QLineEdit", "groupBox_2", {10, 61, 31, 21}, "100"},
    {"label_4", "QLabel", "groupBox_2", {46, 63, 16, 17}, "%"},
    {"pbZoomReset", "QPushButton", "groupBox_2", {64, 62, 41, 21}, "Reset"},
    {"checkBox", "QCheckBox", "groupBox_2", {115, 58, 71, 16}, "Fit Wnd"},
    {"checkBox_2", "QCheckBox", "groupBox_2", {115, 72, 81, 16}, "Fit Image"},
    {"checkBox_3", "QCheckBox", "groupBox_2", {189, 72, 71, 16}, "Keep AR"},
    {"label_5", "QLabel", "groupBox_2", {8, 14, 20, 17}, "1/8"},
    {"label_6", "QLabel", "groupBox_2", {54, 14, 21, 17}, "1/2"},
    {"label_7", "QLabel", "groupBox_2", {107, 14, 16, 17}, "1"},
    {"label_8", "QLabel", "groupBox_2", {153, 14, 16, 17}, "2"},
    {"label_9", "QLabel", "groupBox_2", {199, 14, 16, 17}, "8"},
    {"label_10", "QLabel", "groupBox_2", {240, 15, 21, 17}, "32"},
    {"leVideoPos", "QLineEdit", "centralWidget", {10, 250, 51, 21}, "0"},
    {"sliderVideoPos", "QSlider", "centralWidget", {67, 247, 551, 25}, nullptr},
    {"groupBox_3", "QGroupBox", "centralWidget", {554, 35, 71, 51}, "Loop"},
    {"cbLoopNormal", "QCheckBox", "groupBox_3", {3, 18, 71, 16}, "Normal"},
    {"cbLoopBouncing", "QCheckBox", "groupBox_3", {3, 31, 91, 20}, "Bounce"},
    {"groupBox_4", "QGroupBox", "centralWidget", {554, 88, 71, 91}, "Component"},
    {"rbCompColor", "QRadioButton", "groupBox_4", {3, 20, 61, 16}, "Color"},
    {"rbCompY", "QRadioButton", "groupBox_4", {3, 41, 31, 16}, "Y"},
    {"rbCompU", "QRadioButton", "groupBox_4", {3, 57, 31, 16}, "U"},
    {"rbCompV", "QRadioButton", "groupBox_4", {3, 73, 31, 16}, "V"},
    {"rbCompR", "QRadioButton", "groupBox_4", {35, 40, 41, 16}, "R"},
    {"rbCompG", "QRadioButton", "groupBox_4", {35, 56, 41, 16}, "G"},
    {"rbCompB", "QRadioButton", "groupBox_4", {35, 72, 41, 16}, "B"},
    {"pushButton_17", "QPushButton", "centralWidget", {14, 71, 40, 40}, ""},
    {"checkBoxGrid", "QCheckBox", "centralWidget", {555, 211, 61, 16}, "Grid"},
    {"lwImageItems", "QListWidget", "centralWidget", {69, 10, 211, 231}, nullptr},
    {"groupBox_5", "QGroupBox", "centralWidget", {287, 182, 131, 61}, "Video Info"},
    {"label_14", "QLabel", "groupBox_5", {10, 14, 31, 16}, "Size:"},
    {"label_15", "QLabel", "groupBox_5", {10, 29, 46, 13}, "Format:"},
    {"label_16", "QLabel", "groupBox_5", {10, 43, 46, 13}, "Speed:"},
    {"labelVideoInfoSize", "QLabel", "groupBox_5", {56, 16, 61, 16}, ""},
    {"labelVideoInfoFormat", "QLabel", "groupBox_5", {56, 30, 46, 13}, ""},
    {"labelVideoInfoSpeed", "QLabel", "groupBox_5", {55, 43, 46, 13}, ""},
    {"labelVideoInfoColour", "QLabel", "groupBox_5", {66, 1, 62, 12}, ""},
    {"comboBoxGrid", "QComboBox", "centralWidget", {554, 227, 69, 16}, nullptr},
    {"checkBoxToolTip", "QCheckBox", "centralWidget", {555, 190, 71, 16}, "Tooltip"},
    {"label_11", "QLabel", "centralWidget", {19, 50, 41, 16}, "Open"},
    {"label_12", "QLabel", "centralWidget", {9, 109, 61, 16}, "Snapshot"},
    {"label_13", "QLabel", "centralWidget", {20, 226, 31, 16}, "Close"},
    {"checkBox_4", "QCheckBox", "centralWidget", {423, 187, 51, 17}, "Crop"},
    {"comboBoxGrid_2", "QComboBox", "centralWidget", {476, 188, 69, 16}, nullptr},
    {"leIntervalFrom_2", "QLineEdit", "centralWidget", {441, 210, 40, 16}, "0"},
    {"leIntervalFrom_3", "QLineEdit", "centralWidget", {441, 227, 40, 16}, "0"},
    {"leIntervalFrom_4", "QLineEdit", "centralWidget", {504, 227, 40, 16}, "0"},
    {"leIntervalFrom_5", "QLineEdit", "centralWidget", {504, 210, 40, 16}, "0"},
    {"label_17", "QLabel", "centralWidget", {422, 209, 16, 16}, "X1:"},
    {"label_18", "QLabel", "centralWidget", {422, 226, 16, 16}, "Y1:"},
    {"label_19", "QLabel", "centralWidget", {486, 211, 16, 16}, "X2:"},
    {"label_20", "QLabel", "centralWidget", {486, 227, 16, 16}, "Y2:"},
};

const char iconButtonStyleSheet[] = "QPushButton::hover { border: 2px solid black; }\n"
                                    "QPushButton::!hover { border: 0px solid gray; }";

bool isIconButton(const QString &name)
{
    return name == "pbOpenImage" || name == "pushButton_17" || name == "pbCloseImage";
}

bool isReadOut(const QString &name)
{
    return name == "leIntervalMax" || name == "lineEditImageZoom" || name == "leVideoPos";
}

} // namespace

class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void widgetMatchesTable_data();
    void widgetMatchesTable();
    void widgetsAreCreatedInTableOrder();
    void focusChainFollowsTableOrder();
    void windowIsFixedSizeAndWindowModal();
    void formHasNoLayoutsNorBars();
    void iconButtons_data();
    void iconButtons();
    void iconButtonFramedOnlyWhileHovered_data();
    void iconButtonFramedOnlyWhileHovered();
    void onlyIconButtonsCarryStyleSheets();
    void zoomSliderSettings();
    void zoomSliderReportsDragOnlyOnRelease();
    void positionSliderSettings();
    void onlyReadOutsAreDisabledAndReadOnly();
    void checkedAtStart_data();
    void checkedAtStart();
    void componentRadioButtonsAreExclusive();
    void fonts_data();
    void fonts();
    void groupBoxesAreNotFlat();
    void videoListShowsBothScrollBars();
    void gridComboHoldsTheFiveChoices();
    void cropComboStaysEmpty();
    void slotsAreConnectedByName();

private:
    template<typename T>
    T *widget(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<MainWindow> window;
};

void TestMainWindowForm::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    // Three slots have no widget by design; their "No matching signal" notes are expected.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname.warning=false"));
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestMainWindowForm::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    window = std::make_unique<MainWindow>();
}

void TestMainWindowForm::cleanup()
{
    window.reset();
}

void TestMainWindowForm::widgetMatchesTable_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    for (const FormRow &row : formRows)
        QTest::newRow(row.name) << row.className << row.parent << row.geometry
                                << QString::fromUtf8(row.text);
}

void TestMainWindowForm::widgetMatchesTable()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QList<QWidget *> found = window->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    const QWidget *w = found.first();
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), parentName);
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(shownText(w), text);
}

void TestMainWindowForm::widgetsAreCreatedInTableOrder()
{
    QWidget *central = window->centralWidget();
    QVERIFY(central);
    QCOMPARE(central->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(central->parentWidget(), window.get());

    QStringList expected;
    for (const FormRow &row : formRows)
        expected << QString::fromLatin1(row.name);

    // Widgets that Qt creates inside list views and the like are named "qt_..." or not at all.
    QStringList created;
    for (const QWidget *w : central->findChildren<QWidget *>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            created << w->objectName();
    }
    QCOMPARE(created.size(), 70);
    QCOMPARE(created, expected);
}

void TestMainWindowForm::focusChainFollowsTableOrder()
{
    QStringList expected;
    for (const FormRow &row : formRows)
        expected << QString::fromLatin1(row.name);

    QStringList chain;
    for (QWidget *w = window->nextInFocusChain(); w != window.get(); w = w->nextInFocusChain()) {
        if (expected.contains(w->objectName()))
            chain << w->objectName();
    }
    QCOMPARE(chain, expected);
}

void TestMainWindowForm::windowIsFixedSizeAndWindowModal()
{
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Zentavo v1.1"));
    QCOMPARE(window->windowModality(), Qt::WindowModal);
    QCOMPARE(window->size(), QSize(630, 280));
    QCOMPARE(window->minimumSize(), QSize(630, 280));
    QCOMPARE(window->maximumSize(), QSize(630, 280));
    QCOMPARE(window->font().pointSize(), 8);
    const QImage icon = window->windowIcon().pixmap(QSize(32, 32)).toImage();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon, QIcon(QStringLiteral(":/ico/Dozud.ico")).pixmap(QSize(32, 32)).toImage());

    window->resize(800, 600);
    QCOMPARE(window->size(), QSize(630, 280));
    window->resize(100, 50);
    QCOMPARE(window->size(), QSize(630, 280));
}

void TestMainWindowForm::formHasNoLayoutsNorBars()
{
    QVERIFY(!window->menuWidget());
    QVERIFY(!window->findChild<QMenuBar *>());
    QVERIFY(!window->findChild<QStatusBar *>());
    QVERIFY(!window->findChild<QToolBar *>());
    QVERIFY(!window->centralWidget()->layout());
    for (const FormRow &row : formRows) {
        const QWidget *w = widget<QWidget>(row.name);
        QVERIFY2(w && !w->layout(), row.name);
    }
}

void TestMainWindowForm::iconButtons_data()
{
    QTest::addColumn<QString>("iconPath");
    QTest::newRow("pbOpenImage") << ":/ico/File_add.ico";
    QTest::newRow("pushButton_17") << ":/ico/Billboard.ico";
    QTest::newRow("pbCloseImage") << ":/ico/Close.ico";
}

void TestMainWindowForm::iconButtons()
{
    QFETCH(QString, iconPath);

    auto *button = widget<QPushButton>(QTest::currentDataTag());
    QVERIFY(button);
    QVERIFY(button->isFlat());
    QCOMPARE(button->iconSize(), QSize(32, 32));
    QCOMPARE(button->styleSheet(), QString::fromLatin1(iconButtonStyleSheet));
    QVERIFY(button->text().isEmpty());
    QVERIFY(button->toolTip().isEmpty());
    QVERIFY(button->statusTip().isEmpty());
    QVERIFY(button->whatsThis().isEmpty());

    const QImage shown = button->icon().pixmap(QSize(32, 32)).toImage();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown, QIcon(iconPath).pixmap(QSize(32, 32)).toImage());
}

void TestMainWindowForm::iconButtonFramedOnlyWhileHovered_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::newRow("Open") << "pbOpenImage";
    QTest::newRow("Snapshot") << "pushButton_17";
    QTest::newRow("Close") << "pbCloseImage";
}

void TestMainWindowForm::iconButtonFramedOnlyWhileHovered()
{
    QFETCH(QString, buttonName);
    auto *button = window->findChild<QPushButton *>(buttonName);
    QVERIFY(button);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // Points on the 2-pixel frame: the corners and the middle of each edge.
    const QPoint frame[] = {{0, 0}, {1, 1}, {39, 39}, {38, 20}, {20, 0}, {0, 20}, {20, 39}};

    QTest::mouseMove(button, button->rect().center());
    QTRY_VERIFY(button->underMouse());
    QImage image = button->grab().toImage();
    for (const QPoint &p : frame)
        QCOMPARE(image.pixelColor(p), QColor(Qt::black));

    QTest::mouseMove(window.get(), QPoint(300, 270));
    QTRY_VERIFY(!button->underMouse());
    image = button->grab().toImage();
    const QColor background = window->palette().color(QPalette::Window);
    for (const QPoint &p : frame)
        QCOMPARE(image.pixelColor(p), background);
}

void TestMainWindowForm::onlyIconButtonsCarryStyleSheets()
{
    QVERIFY(window->styleSheet().isEmpty());
    QVERIFY(window->centralWidget()->styleSheet().isEmpty());
    for (const FormRow &row : formRows) {
        const QWidget *w = widget<QWidget>(row.name);
        QVERIFY2(w, row.name);
        const QString expected =
                isIconButton(QString::fromLatin1(row.name)) ? iconButtonStyleSheet : "";
        QCOMPARE(w->styleSheet(), expected);
    }
}

void TestMainWindowForm::zoomSliderSettings()
{
    auto *slider = widget<QSlider>("sliderImageZoom");
    auto *zoomField = widget<QLineEdit>("lineEditImageZoom");
    QVERIFY(slider && zoomField);
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 100);
    QCOMPARE(slider->singleStep(), 10);
    QCOMPARE(slider->pageStep(), 10);
    QCOMPARE(slider->value(), 40);
    QCOMPARE(slider->sliderPosition(), 40);
    QVERIFY(!slider->hasTracking());
    QCOMPARE(slider->tickPosition(), QSlider::TicksAbove);
    QCOMPARE(slider->tickInterval(), 10);
    QCOMPARE(zoomField->text(), QStringLiteral("100"));
}

void TestMainWindowForm::zoomSliderReportsDragOnlyOnRelease()
{
    auto *slider = widget<QSlider>("sliderImageZoom");
    QVERIFY(slider);
    QSignalSpy moved(slider, &QSlider::sliderMoved);
    QSignalSpy changed(slider, &QSlider::valueChanged);

    slider->setSliderDown(true);
    slider->setSliderPosition(60);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved.first().first().toInt(), 60);
    QCOMPARE(slider->value(), 40);
    QCOMPARE(changed.size(), 0);

    slider->setSliderDown(false);
    QCOMPARE(slider->value(), 60);
    QCOMPARE(changed.size(), 1);
}

void TestMainWindowForm::positionSliderSettings()
{
    auto *slider = widget<QSlider>("sliderVideoPos");
    QVERIFY(slider);
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 99);
    QCOMPARE(slider->singleStep(), 1);
    QCOMPARE(slider->pageStep(), 1);
    QCOMPARE(slider->value(), 0);
    QVERIFY(!slider->hasTracking());
    QCOMPARE(slider->tickPosition(), QSlider::TicksAbove);
    QCOMPARE(slider->tickInterval(), 100);
}

void TestMainWindowForm::onlyReadOutsAreDisabledAndReadOnly()
{
    QVERIFY(window->isEnabled());
    for (const FormRow &row : formRows) {
        const QString name = QString::fromLatin1(row.name);
        const QWidget *w = widget<QWidget>(row.name);
        QVERIFY2(w, row.name);
        QVERIFY2(w->isEnabled() != isReadOut(name), row.name);
        if (auto *edit = qobject_cast<const QLineEdit *>(w))
            QVERIFY2(edit->isReadOnly() == isReadOut(name), row.name);
    }
}

void TestMainWindowForm::checkedAtStart_data()
{
    QTest::addColumn<bool>("checked");
    QTest::newRow("checkBox") << true;
    QTest::newRow("checkBox_2") << false;
    QTest::newRow("checkBox_3") << true;
    QTest::newRow("cbLoopNormal") << false;
    QTest::newRow("cbLoopBouncing") << false;
    QTest::newRow("checkBoxGrid") << false;
    QTest::newRow("checkBoxToolTip") << false;
    QTest::newRow("checkBox_4") << false;
    QTest::newRow("rbCompColor") << true;
    QTest::newRow("rbCompY") << false;
    QTest::newRow("rbCompU") << false;
    QTest::newRow("rbCompV") << false;
    QTest::newRow("rbCompR") << false;
    QTest::newRow("rbCompG") << false;
    QTest::newRow("rbCompB") << false;
}

void TestMainWindowForm::checkedAtStart()
{
    QFETCH(bool, checked);
    auto *button = widget<QAbstractButton>(QTest::currentDataTag());
    QVERIFY(button);
    QVERIFY(button->isCheckable());
    QCOMPARE(button->isChecked(), checked);
}

void TestMainWindowForm::componentRadioButtonsAreExclusive()
{
    const char *names[] = {"rbCompColor", "rbCompY", "rbCompU", "rbCompV",
                           "rbCompR",     "rbCompG", "rbCompB"};
    for (const char *name : names)
        QVERIFY2(widget<QRadioButton>(name), name);
    for (const char *picked : names) {
        widget<QRadioButton>(picked)->click();
        for (const char *name : names)
            QVERIFY2(widget<QRadioButton>(name)->isChecked() == (qstrcmp(name, picked) == 0),
                     name);
    }
}

void TestMainWindowForm::fonts_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("pointSizeUnderLargerWindowFont");

    // label_11 and groupBox_3 fix their size; the others take the window's.
    QTest::newRow("label_11") << true << 8;
    QTest::newRow("label_12") << true << 12;
    QTest::newRow("label_13") << true << 12;
    QTest::newRow("groupBox_3") << false << 8;
    QTest::newRow("cbLoopNormal") << false << 8;
    QTest::newRow("groupBox_4") << false << 12;
    QTest::newRow("label") << false << 12;
    QTest::newRow("pbGoToStart") << false << 12;
    QTest::newRow("lwImageItems") << false << 12;
}

void TestMainWindowForm::fonts()
{
    QFETCH(bool, bold);
    QFETCH(int, pointSizeUnderLargerWindowFont);

    const QWidget *w = widget<QWidget>(QTest::currentDataTag());
    QVERIFY(w);
    QCOMPARE(w->font().pointSize(), 8);
    QCOMPARE(w->font().bold(), bold);

    QFont larger;
    larger.setPointSize(12);
    window->setFont(larger);
    QCOMPARE(w->font().pointSize(), pointSizeUnderLargerWindowFont);
    QCOMPARE(w->font().bold(), bold);
}

void TestMainWindowForm::groupBoxesAreNotFlat()
{
    const QList<QGroupBox *> boxes = window->findChildren<QGroupBox *>();
    QCOMPARE(boxes.size(), 5);
    for (const QGroupBox *box : boxes) {
        QVERIFY2(!box->isFlat(), qPrintable(box->objectName()));
        QVERIFY2(!box->isCheckable(), qPrintable(box->objectName()));
    }
}

void TestMainWindowForm::videoListShowsBothScrollBars()
{
    auto *list = widget<QListWidget>("lwImageItems");
    QVERIFY(list);
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->count(), 0);
    QCOMPARE(list->currentRow(), -1);
}

void TestMainWindowForm::gridComboHoldsTheFiveChoices()
{
    auto *combo = widget<QComboBox>("comboBoxGrid");
    QVERIFY(combo);
    QVERIFY(!combo->isEditable());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, QStringList({"none", "4x4", "8x8", "16x16", "32x32"}));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(combo->currentText(), QStringLiteral("none"));
}

void TestMainWindowForm::cropComboStaysEmpty()
{
    auto *combo = widget<QComboBox>("comboBoxGrid_2");
    QVERIFY(combo);
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY(combo->currentText().isEmpty());
}

void TestMainWindowForm::slotsAreConnectedByName()
{
    const QMetaObject *meta = window->metaObject();
    QStringList withoutWidget;
    int connected = 0;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod slot = meta->method(i);
        const QByteArray slotName = slot.name();
        if (slot.methodType() != QMetaMethod::Slot || !slotName.startsWith("on_"))
            continue;
        // Object names may hold underscores; signal names never do.
        const int split = slotName.lastIndexOf('_');
        const QString objectName = QString::fromLatin1(slotName.mid(3, split - 3));
        const QByteArray signature =
                slotName.mid(split + 1) + '(' + slot.parameterTypes().join(',') + ')';

        QObject *sender = objectName == window->objectName()
                ? static_cast<QObject *>(window.get())
                : window->findChild<QObject *>(objectName);
        if (!sender) {
            withoutWidget << objectName;
            continue;
        }
        const int signalIndex = sender->metaObject()->indexOfSignal(signature);
        QVERIFY2(signalIndex >= 0, slot.methodSignature().constData());
        // disconnect() reports whether there was a connection to undo.
        QVERIFY2(QObject::disconnect(sender, sender->metaObject()->method(signalIndex),
                                     window.get(), slot),
                 slot.methodSignature().constData());
        ++connected;
    }
    QCOMPARE(connected, 24);
    withoutWidget.sort();
    QCOMPARE(withoutWidget,
             QStringList({"pbHideImageWnd", "pbMoveUpImageItem", "pbShowImageWnd"}));
}

QTEST_MAIN(TestMainWindowForm)
#include "test_mainwindowform.moc"
