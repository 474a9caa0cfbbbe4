#include "chosenfile.h"

#include "videofile.h"

#include <QFile>

#include <dirent.h>
#include <optional>

namespace {

bool exists(const std::string &path)
{
    return checkVideoFile(path).problem != FileProblem::Missing;
}

// The one entry of folder `folder` whose name reads as `name`; nothing when none or
// several do.
std::optional<std::string> entryReadAs(const std::string &folder, const QString &name)
{
    DIR *listing = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!listing)
        return std::nullopt;
    std::optional<std::string> found;
    int matches = 0;
    while (const dirent *entry = ::readdir(listing)) {
        if (QFile::decodeName(entry->d_name) == name && ++matches == 1)
            found = entry->d_name;
    }
    ::closedir(listing);
    return matches == 1 ? found : std::nullopt;
}

} // namespace

std::string chosenFileBytes(const QString &chosen)
{
    const std::string spelt = QFile::encodeName(chosen).toStdString();
    if (exists(spelt) || !chosen.startsWith(QLatin1Char('/')))
        return spelt;
    std::string path;
    for (const QString &part : chosen.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        std::string next = path + '/' + QFile::encodeName(part).toStdString();
        if (!exists(next)) {
            const std::optional<std::string> entry = entryReadAs(path, part);
            if (!entry)
                return spelt;
            next = path + '/' + *entry;
        }
        path = std::move(next);
    }
    return path;
}
