#pragma once

#include <QString>

// The Open flow as a user goes through it: Open, a path typed into the file chooser,
// the parameters typed into the dialog, OK.
namespace userflow {

struct Answer
{
    QString width;
    QString height;
    int format = 0;
};

struct Outcome
{
    // The chooser took the typed path and closed.
    bool chosen = false;
    // A warning box the chooser raised instead, answered with OK.
    QString chooserWarning;
    // The parameters dialog is still up after OK, showing why it refused.
    bool refused = false;
    QString refusal;
};

Outcome open(const QString &path, const Answer &answer);

// Hides a dialog left up by a refused OK, as Cancel would.
void cancelDialog();

} // namespace userflow
