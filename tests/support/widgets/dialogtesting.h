#pragma once

#include "imageopendialog.h"

#include <QDialogButtonBox>
#include <QString>

// Shared by the tests that open videos: the one parameters dialog filled in as a user would.
namespace dialogtesting {

template <typename T> T *dialogWidget(const char *name)
{
    return ImageOpenDialog::instance().findChild<T *>(QString::fromLatin1(name));
}

// Replaces the text of the dialog's line edit of that name, key by key.
void typeInto(const char *field, const QString &text);

// Picks an entry of the dialog's combo box of that name with the keyboard, from its first
// entry down.
void chooseWithKeys(const char *combo, int index);

// Clicks OK or Cancel.
void pressDialogButton(QDialogButtonBox::StandardButton which);

// The text under the fields that says why OK was refused.
QString shownMessage();

} // namespace dialogtesting
