#include "dialogtesting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace dialogtesting {

void typeInto(const char *field, const QString &text)
{
    auto *edit = dialogWidget<QLineEdit>(field);
    if (!edit)
        qFatal("no line edit %s", field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void chooseWithKeys(const char *combo, int index)
{
    auto *box = dialogWidget<QComboBox>(combo);
    if (!box)
        qFatal("no combo box %s", combo);
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

void pressDialogButton(QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(
        dialogWidget<QDialogButtonBox>("bbConfirmation")->button(which), Qt::LeftButton);
}

QString shownMessage()
{
    return dialogWidget<QLabel>("labelMessage")->text();
}

} // namespace dialogtesting
