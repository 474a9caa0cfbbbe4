#include "listwidgetitemext.h"

ListWidgetItemExt::ListWidgetItemExt(const QString &text, QListWidget *list, ImageView *view)
    : QListWidgetItem(text, list, Type)
    , imageView(view)
{
}
