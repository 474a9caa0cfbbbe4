#include "openframesource.h"

#include "rawfilesource.h"

#include <stdexcept>

std::unique_ptr<FrameSource> openFrameSource(
    const VideoParameters &record, const Y4mFileSource::NoteSink &note)
{
    if (record.kind == Y4mFile) {
        // Read again: the file may have changed since its record was made.
        const Y4mHeaderRead read = readY4mHeader(record.path);
        if (!read.header)
            throw std::invalid_argument(read.problem);
        return std::make_unique<Y4mFileSource>(record.path, *read.header, note);
    }
    const std::optional<FrameFormat> format = FrameFormat::make(record.format, record.width,
        record.height, ColourMatrix(record.matrix), ColourRange(record.range));
    if (!format)
        throw std::invalid_argument("no frame format takes this layout and size");
    return std::make_unique<RawFileSource>(record.path, *format, record.frameCount);
}
