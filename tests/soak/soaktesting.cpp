#include "soaktesting.h"

#include "dialogtesting.h"
#include "imageopendialog.h"

#include <QFile>

#include <unistd.h>

namespace soaktesting {

using namespace dialogtesting;

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

bool openThroughDialog(const VideoParameters &clip)
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    dialog.showForFile(clip.path);
    typeInto("leImageWidth", QString::number(clip.width));
    typeInto("leImageHeight", QString::number(clip.height));
    typeInto("leImageSpeed", QString::number(clip.speed));
    chooseWithKeys("comboBoxFormat", clip.format == UYVY ? 1 : 0);
    pressDialogButton(QDialogButtonBox::Ok);
    return !dialog.isVisible();
}

} // namespace soaktesting
