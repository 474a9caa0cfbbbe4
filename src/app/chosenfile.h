#pragma once

#include <QString>

#include <string>

// The bytes of the file that a file chooser's name stands for. Choosers spell names as
// text, and a name whose bytes are not UTF-8 does not come back from that text: each such
// part of an absolute path is found again as the one entry of its folder that reads the
// same. A name that exists as spelt, or whose parts cannot be told apart so, is taken as
// spelt.
std::string chosenFileBytes(const QString &chosen);
