#include "soaktesting.h"

#include "apptesting.h"
#include "dialogtesting.h"
#include "imageopendialog.h"

#include <QFile>

#include <malloc.h>
#include <unistd.h>

namespace soaktesting {

using namespace dialogtesting;

namespace {

// Types the clip's size and speed, picks its format and presses OK; false unless the
// dialog closed.
bool answerDialog(const VideoParameters &clip)
{
    typeInto("leImageWidth", QString::number(clip.width));
    typeInto("leImageHeight", QString::number(clip.height));
    typeInto("leImageSpeed", QString::number(clip.speed));
    chooseWithKeys("comboBoxFormat", clip.format == UYVY ? 1 : 0);
    pressDialogButton(QDialogButtonBox::Ok);
    return !ImageOpenDialog::instance().isVisible();
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

bool openThroughDialog(const VideoParameters &clip)
{
    ImageOpenDialog::instance().showForFile(clip.path);
    return answerDialog(clip);
}

bool openThroughChooser(const VideoParameters &clip)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(clip.path));
    apptesting::whenFileChooserOpens(
        [path](QWidget *chooser) { apptesting::typeIntoChooser(chooser, path); });
    apptesting::click("pbOpenImage");
    return ImageOpenDialog::instance().isVisible() && answerDialog(clip);
}

} // namespace soaktesting
