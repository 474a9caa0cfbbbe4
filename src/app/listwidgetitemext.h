#pragma once

#include <QListWidgetItem>

class ImageView;

// An entry of the main window's video list. It points at the video's window but
// never deletes it: the main window does, on Close and when it goes itself.
class ListWidgetItemExt : public QListWidgetItem
{
public:
    // Appends the entry to `list`.
    ListWidgetItemExt(const QString &text, QListWidget *list, ImageView *view);

    ImageView *imageView;
};
