#pragma once

#include "videofile.h"
#include "videoparameters.h"

#include <QString>

#include <cstdint>

// The sentences that refuse to open a file, shown in the dialog's message line, in the
// main window and on standard error alike.
namespace openrefusal {

// "Width must be even." and the like; empty for a size that the check passes.
QString sizeText(SizeCheck check);
// "%1 cannot be found." and the like, with %1 for the file's name; empty for None.
QString fileText(FileProblem problem);
// "Not enough memory for 16384 x 16384.": short enough for the dialog's one line.
QString memoryText(std::int32_t width, std::int32_t height);
// memoryText with how much the frame of a video of `record`, whose layout and size are
// checked, takes and the room the program keeps beside it.
QString memoryTextInFull(const VideoParameters &record);

} // namespace openrefusal
