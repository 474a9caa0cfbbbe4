#pragma once

#include "namedparameters.h"

#include <iosfwd>
#include <string>

// `zentavo --psnr A B`: two files compared frame by frame with no window, as ffmpeg's psnr
// filter compares them, for scripts and test pipelines.

struct PsnrRequest
{
    // How the program was called, to begin each line on standard error.
    std::string program;
    // The two files, with their bytes as given; the first is ffmpeg's main input, the
    // second its reference.
    std::string first;
    std::string second;
    // -s and -f, for both files; each file's name fills in what they leave open
    // (planOpen), and a file with a size but no layout is read as yuv420p.
    AskedParameters asked;
};

// Exit statuses, as cmp's.
enum PsnrStatus : int { PsnrIdentical = 0, PsnrDifferent = 1, PsnrTrouble = 2 };

// Writes to `out`, for each frame that both files have, the line of ffmpeg's stats file
// ("n:1 mse_avg:..."), then ffmpeg's summary line ("PSNR y:... min:... max:..."), then
// where they first differ:
//   "first difference: frame 3 counted from 0, plane U, x 17, y 4: 128 against 131"
// (the first file's sample, then the second's), or "identical"; and, when
// the files hold different numbers of frames, after it:
//   "frame counts differ: 10 against 8; the first 8 compared".
// Identical: every compared frame equal, and as many in each file. Trouble, with a line on
// `err` for each: a file that is missing or unreadable, whose size or layout is unknown
// or does not fit, formats that cannot be compared, too little memory (nothing is
// compared then), or a frame that cannot be read (the report ends there).
PsnrStatus runPsnrReport(const PsnrRequest &request, std::ostream &out, std::ostream &err);
