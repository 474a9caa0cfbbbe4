#pragma once

#include "framesource.h"
#include "videoparameters.h"
#include "y4mfilesource.h"

#include <memory>

// The source that reads the file as `record` describes it: a raw file's frames at the
// record's layout and size, counted as the record says; a y4m file's by its own header,
// counted now, with notes on the count going to `note`. Throws std::invalid_argument for
// a layout or size that no frame format takes, and for a y4m file whose header is
// refused now, with the reason.
std::unique_ptr<FrameSource> openFrameSource(
    const VideoParameters &record, const Y4mFileSource::NoteSink &note = {});
