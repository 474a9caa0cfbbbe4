// Another program that a file is dragged from, as from a file manager: a small window that
// starts a drag of one file on a press of the left button. The file is given as a URL with
// its name's bytes percent-escaped, so that names that are not UTF-8 cross the drop as
// they are. Prints "taken" each time the window under the pointer says it would take the
// drop, so that the button is let go only then, and the action that the drop ended with,
// or "ignored".
//
//   dragsource URL X Y

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget
{
public:
    explicit DragSource(const QUrl &url)
        : url_(url)
    {
        setWindowTitle(QStringLiteral("Drag source"));
        setFixedSize(80, 60);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto *data = new QMimeData;
        data->setUrls({ url_ });
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            if (action != Qt::IgnoreAction) {
                std::printf("taken\n");
                std::fflush(stdout);
            }
        });
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction);
        std::printf("%s\n",
            action == Qt::CopyAction       ? "copied"
                : action == Qt::LinkAction ? "linked"
                                           : "ignored");
        std::fflush(stdout);
    }

private:
    QUrl url_;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: dragsource URL X Y\n");
        return 2;
    }
    const QUrl url = QUrl::fromEncoded(argv[1], QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile()) {
        std::fprintf(stderr, "dragsource: %s is not a local file's URL\n", argv[1]);
        return 2;
    }
    DragSource source(url);
    source.move(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt());
    source.show();
    return QApplication::exec();
}
