// A stand-in for a file manager in end-to-end tests: a small window that starts a real drag of
// the files named on its command line when the left button goes down on it, as a file manager
// does when a person drags a selection. It prints "drop action N" when the drag ends (1 is a
// copy) and, like a file manager, stays running a while: the drop target reads the files' names
// from it after the drop.
//   drag_source FILE...

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QList<QUrl> urls)
        : m_urls(std::move(urls)) {
        setWindowTitle(QStringLiteral("drag-source"));
        setFixedSize(120, 80);
        setAutoFillBackground(true);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        auto* drag = new QDrag(this);
        auto* files = new QMimeData;
        files->setUrls(m_urls);
        drag->setMimeData(files);
        const Qt::DropAction action =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("drop action %d\n", int(action));
        std::fflush(stdout);
        // Stays a while, as a file manager would: the target reads the names after the drop.
        QTimer::singleShot(10000, qApp, &QCoreApplication::quit);
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString& argument : QApplication::arguments().mid(1))
        urls.append(QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath()));
    if (urls.isEmpty()) {
        std::fputs("usage: drag_source FILE...\n", stderr);
        return 2;
    }
    Source source(urls);
    source.move(0, 600);
    source.show();
    std::puts("ready");
    std::fflush(stdout);
    return QApplication::exec();
}
