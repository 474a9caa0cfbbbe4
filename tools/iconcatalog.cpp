#include "iconcatalog.h"

#include "glyphpainter.h"
#include "markpaths.h"

#include <QColor>

namespace {

using Glyph = GlyphPainter::Glyph;

IconSpec plain(const char *name, Glyph glyph)
{
    return { QString::fromLatin1(name), false, [glyph](GlyphPainter &g) { (g.*glyph)(); } };
}

IconSpec badged(const char *name, Glyph glyph, Glyph badge)
{
    return { QString::fromLatin1(name), false, [glyph, badge](GlyphPainter &g) {
                (g.*glyph)();
                g.badge(badge);
            } };
}

IconSpec button(const char *name, QPainterPath (*mark)(), QColor tint)
{
    return { QString::fromLatin1(name), true,
        [mark, tint](GlyphPainter &g) { g.button(mark(), tint); } };
}

} // namespace

QList<IconSpec> IconCatalog::all()
{
    return smallIcons() + buttonIcons();
}

QList<IconSpec> IconCatalog::smallIcons()
{
    using G = GlyphPainter;
    return {
        plain("Accept.ico", &G::accept),
        plain("Add.ico", &G::add),
        badged("Add_fav.ico", &G::heart, &G::add),
        badged("Add_user.ico", &G::user, &G::add),
        plain("Alert.ico", &G::alert),
        plain("Billboard.ico", &G::billboard),
        plain("Cancel.ico", &G::cancel),
        plain("Chat.ico", &G::chat),
        plain("Close.ico", &G::close),
        plain("Communicate.ico", &G::communicate),
        plain("Copy.ico", &G::copy),
        plain("Cut.ico", &G::cut),
        plain("Delete.ico", &G::trash),
        badged("Delete_user.ico", &G::user, &G::remove),
        plain("Edit.ico", &G::edit),
        plain("Faq.ico", &G::faq),
        plain("Fav.ico", &G::heart),
        plain("File.ico", &G::document),
        badged("File_add.ico", &G::document, &G::add),
        badged("File_delete.ico", &G::document, &G::remove),
        badged("File_edit.ico", &G::document, &G::edit),
        badged("File_info.ico", &G::document, &G::info),
        plain("Flag.ico", &G::flag),
        plain("Folder.ico", &G::folder),
        badged("Folder_add.ico", &G::folder, &G::add),
        badged("Folder_alert.ico", &G::folder, &G::alert),
        badged("Folder_delete.ico", &G::folder, &G::remove),
        badged("Folder_fav.ico", &G::folder, &G::heart),
        badged("Folder_info.ico", &G::folder, &G::info),
        plain("Home.ico", &G::home),
        plain("Info.ico", &G::info),
        plain("Key.ico", &G::key),
        plain("Lock.ico", &G::lock),
        plain("Login_in.ico", &G::logIn),
        plain("Login_out.ico", &G::logOut),
        plain("Paperclip.ico", &G::paperclip),
        plain("Paste.ico", &G::paste),
        plain("Percent.ico", &G::percent),
        plain("Dozud.ico", &G::planes),
        plain("Prohibit.ico", &G::prohibit),
        plain("Refresh.ico", &G::refresh),
        badged("Remove_fav.ico", &G::heart, &G::remove),
        plain("Ruler.ico", &G::ruler),
        plain("Save.ico", &G::save),
        plain("Search.ico", &G::search),
        plain("Shoppingbag.ico", &G::bag),
        plain("Shoppingcart.ico", &G::cart),
        plain("Star_empty.ico", &G::starEmpty),
        plain("Star_full.ico", &G::starFull),
        plain("Star_half_full.ico", &G::starHalf),
        plain("Telephone.ico", &G::telephone),
        plain("Tools.ico", &G::tools),
        plain("Unlock.ico", &G::unlock),
        plain("User.ico", &G::user),
        plain("Users.ico", &G::users),
        plain("Wheel.ico", &G::wheel),
        plain("Wheels.ico", &G::wheels),
        plain("Wrench.ico", &G::wrench),
        plain("Zoom_in.ico", &G::zoomIn),
        plain("Zoom_out.ico", &G::zoomOut),
    };
}

QList<IconSpec> IconCatalog::buttonIcons()
{
    const QColor go(0x2e, 0x9d, 0x4c);
    const QColor halt(0xd9, 0x30, 0x25);
    const QColor move(0x1e, 0x6f, 0xd9);
    const QColor help(0x6a, 0x4f, 0xc7);
    const QColor renew(0x00, 0x89, 0x7b);
    return {
        button("Button Add.ico", &MarkPaths::plus, go),
        button("Button Cancel.ico", &MarkPaths::cross, halt),
        button("Button Close.ico", &MarkPaths::cross, QColor(0x5f, 0x6b, 0x7a)),
        button("Button Delete.ico", &MarkPaths::minus, halt),
        button("Button Fast Forward.ico", &MarkPaths::fastForward, move),
        button("Button First.ico", &MarkPaths::first, move),
        button("Button Help.ico", &MarkPaths::question, help),
        button("Button Info.ico", &MarkPaths::info, QColor(0x0a, 0x84, 0xc6)),
        button("Button Last.ico", &MarkPaths::last, move),
        button("Button Next.ico", &MarkPaths::next, move),
        button("Button Pause.ico", &MarkPaths::pause, QColor(0xf2, 0x99, 0x00)),
        button("Button Play.ico", &MarkPaths::play, go),
        button("Button Previous.ico", &MarkPaths::previous, move),
        button("Button Refresh.ico", &MarkPaths::refresh, renew),
        button("Button Reload.ico", &MarkPaths::reload, renew),
        button("Button Rewind.ico", &MarkPaths::rewind, move),
        button("Button Stop.ico", &MarkPaths::stop, halt),
    };
}
