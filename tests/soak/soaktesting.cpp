#include "soaktesting.h"

#include "imageopendialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

namespace soaktesting {

namespace {

void typeInto(const char *name, const QString &text)
{
    auto *field = ImageOpenDialog::instance().findChild<QLineEdit *>(QString::fromLatin1(name));
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

} // namespace

std::int64_t residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    // Fields: total program size, then resident pages.
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE);
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

bool openThroughDialog(const VideoParameters &clip)
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(clip.path);
    typeInto("leImageWidth", QString::number(clip.width));
    typeInto("leImageHeight", QString::number(clip.height));
    typeInto("leImageSpeed", QString::number(clip.speed));
    auto *format = dialog.findChild<QComboBox *>(QStringLiteral("comboBoxFormat"));
    QTest::keyClick(format, Qt::Key_Home);
    if (clip.format == UYVY)
        QTest::keyClick(format, Qt::Key_Down);
    auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("bbConfirmation"));
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    return !dialog.isVisible();
}

} // namespace soaktesting
