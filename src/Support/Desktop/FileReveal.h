#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QUrl>

// Shows a file in the desktop's file manager with the file selected, through the
// org.freedesktop.FileManager1 interface on the session bus. Where no file manager answers
// there, the file's folder is opened instead with the desktop's own opener (QDesktopServices).
namespace FileReveal {

inline constexpr char service[] = "org.freedesktop.FileManager1";
inline constexpr char objectPath[] = "/org/freedesktop/FileManager1";
inline constexpr char interface[] = "org.freedesktop.FileManager1";

// How long a file manager may take to start and answer before the folder is opened instead.
inline constexpr int callTimeoutMs = 10000;

// The folder that holds a local file.
QUrl folderOf(const QUrl& fileURL);

// One request to show a file. The call never blocks: the bus answers later, and the request
// then opens the folder if the file manager did not take it, emits finished and deletes itself.
class Request : public QObject {
    Q_OBJECT

public:
    Request(const QUrl& fileURL, const QDBusConnection& bus);

signals:
    // Whether the file manager took the request (false: the folder was opened instead, or
    // nothing could open it).
    void finished(bool shownByFileManager);
    // Neither a file manager nor an opener of folders was there: nothing was shown.
    void nothingShown();

private:
    void fallBack();

    QUrl m_fileURL;
};

// Shows `fileURL` through the file manager on `bus` (the session bus by default).
Request* reveal(const QUrl& fileURL, const QDBusConnection& bus = QDBusConnection::sessionBus());

} // namespace FileReveal
