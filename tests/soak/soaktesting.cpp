#include "soaktesting.h"

#include "apptesting.h"
#include "imageopendialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <malloc.h>
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

bool answerDialog(const VideoParameters &clip)
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
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

std::int64_t heapBytesInUse()
{
    const struct mallinfo2 heap = ::mallinfo2();
    return static_cast<std::int64_t>(heap.uordblks + heap.hblkhd);
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

bool openThroughDialog(const VideoParameters &clip)
{
    ImageOpenDialog::instance().showForFile(clip.path);
    return answerDialog(clip);
}

bool openThroughChooser(const VideoParameters &clip)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(clip.path));
    apptesting::whenFileChooserOpens(
        [path](QWidget *chooser) { apptesting::typeIntoFileChooser(chooser, path); });
    apptesting::click("pbOpenImage");
    return ImageOpenDialog::instance().isVisible() && answerDialog(clip);
}

} // namespace soaktesting
