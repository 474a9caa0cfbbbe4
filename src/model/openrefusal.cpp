#include "openrefusal.h"

#include "memoryroom.h"
#include "videodocument.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImageOpenDialog", text);
}

QString megabytes(std::size_t bytes)
{
    constexpr std::size_t megabyte = std::size_t { 1 } << 20;
    return QString::number((bytes + megabyte - 1) / megabyte);
}

} // namespace

namespace openrefusal {

QString sizeText(SizeCheck check)
{
    const bool width = check.field == SizeField::Width;
    switch (check.problem) {
    case SizeProblem::NotPositive:
        return width ? tr("Width: enter a whole number above 0.")
                     : tr("Height: enter a whole number above 0.");
    case SizeProblem::Odd:
        return width ? tr("Width must be even.") : tr("Height must be even.");
    case SizeProblem::TooLarge:
        return (width ? tr("Width must be at most %1.") : tr("Height must be at most %1."))
            .arg(maxFrameDimension);
    case SizeProblem::None:
        break;
    }
    return QString();
}

QString fileText(FileProblem problem)
{
    switch (problem) {
    case FileProblem::Missing:
        return tr("%1 cannot be found.");
    case FileProblem::NotRegular:
        return tr("%1 is not a regular file.");
    case FileProblem::Unreadable:
        return tr("%1 cannot be read.");
    case FileProblem::None:
        break;
    }
    return QString();
}

QString memoryText(std::int32_t width, std::int32_t height)
{
    return tr("Not enough memory for %1 x %2.").arg(width).arg(height);
}

QString memoryTextInFull(const VideoParameters &record)
{
    const FrameFormat format = *FrameFormat::make(record.format, record.width, record.height,
        ColourMatrix(record.matrix), ColourRange(record.range));
    return memoryText(format.width(), format.height()) + QLatin1Char(' ')
        + tr("Its frame takes %1 MB, and the program needs %2 MB more to go on running.")
              .arg(megabytes(VideoDocument::frameBytes(format)), megabytes(runningRoomBytes));
}

} // namespace openrefusal
