#include "iconcomparison.h"

#include <cstdio>

// Compares the icons icogen wrote into one folder with the committed ones in another; exits
// with 1, naming each file, when they differ.
int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: compareicons <generated-dir> <committed-dir>\n");
        return 2;
    }
    const QString generated = QString::fromLocal8Bit(argv[1]);
    const QString committed = QString::fromLocal8Bit(argv[2]);
    const QStringList problems = IconComparison::trees(generated, committed);
    if (problems.isEmpty())
        return 0;
    std::fprintf(stderr, "%s differs from what icogen drew in %s:\n", qPrintable(committed),
        qPrintable(generated));
    for (const QString &problem : problems)
        std::fprintf(stderr, "  %s\n", qPrintable(problem));
    return 1;
}
