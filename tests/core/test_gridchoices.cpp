#include "gridchoices.h"

#include <QtTest>

class TestGridChoices : public QObject
{
    Q_OBJECT

private slots:
    void choiceGivesTheStepItsTextNames_data();
    void choiceGivesTheStepItsTextNames();
    void uncheckedBoxGivesNoGrid_data();
    void uncheckedBoxGivesNoGrid();
    void stepSelectsItsChoice_data();
    void stepSelectsItsChoice();
    void everyChoiceSurvivesTheRoundTrip();
};

void TestGridChoices::choiceGivesTheStepItsTextNames_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("step");

    QTest::newRow("none") << 0 << 0;
    QTest::newRow("4x4") << 1 << 4;
    QTest::newRow("8x8") << 2 << 8;
    QTest::newRow("16x16") << 3 << 16;
    QTest::newRow("32x32") << 4 << 32;
    QTest::newRow("no current item (-1)") << -1 << 0;
    QTest::newRow("past the last choice") << 5 << 0;
}

void TestGridChoices::choiceGivesTheStepItsTextNames()
{
    QFETCH(int, choice);
    QFETCH(int, step);
    QCOMPARE(gridStepForChoice(choice), step);
    QCOMPARE(gridStepForControls(choice, true), step);
}

void TestGridChoices::uncheckedBoxGivesNoGrid_data()
{
    QTest::addColumn<int>("choice");
    for (int choice = -1; choice <= gridChoiceCount; ++choice)
        QTest::addRow("choice %d", choice) << choice;
}

void TestGridChoices::uncheckedBoxGivesNoGrid()
{
    QFETCH(int, choice);
    QCOMPARE(gridStepForControls(choice, false), 0);
}

void TestGridChoices::stepSelectsItsChoice_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("choice");

    QTest::newRow("0 is none") << 0 << 0;
    QTest::newRow("4 is 4x4") << 4 << 1;
    QTest::newRow("8 is 8x8") << 8 << 2;
    QTest::newRow("16 is 16x16, not 16 / 8") << 16 << 3;
    QTest::newRow("32 is 32x32") << 32 << 4;
    QTest::newRow("24 is no choice") << 24 << 0;
    QTest::newRow("negative is none") << -8 << 0;
}

void TestGridChoices::stepSelectsItsChoice()
{
    QFETCH(int, step);
    QFETCH(int, choice);
    QCOMPARE(gridChoiceForStep(step), choice);
}

void TestGridChoices::everyChoiceSurvivesTheRoundTrip()
{
    for (int choice = 0; choice < gridChoiceCount; ++choice)
        QCOMPARE(gridChoiceForStep(gridStepForChoice(choice)), choice);
}

QTEST_APPLESS_MAIN(TestGridChoices)
#include "test_gridchoices.moc"
