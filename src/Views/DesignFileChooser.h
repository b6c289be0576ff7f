#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QFileDialog;
class QWidget;

// Asks for design files to send: the desktop's own chooser through its portal where one runs,
// Qt's file dialog where none answers. One question at a time: asked again while its dialog is
// open, it brings that dialog to the front.
class DesignFileChooser : public QObject {
    Q_OBJECT

public:
    // The chooser belongs to `owner`'s window.
    explicit DesignFileChooser(QWidget* owner);

    void choose();
    // Qt's file dialog, while it is open.
    QFileDialog* dialog() const;

    static QString title();
    static QString filterName();

signals:
    // The files chosen; not emitted when the person cancels.
    void chosen(const QList<QUrl>& files);

private:
    void openOwnDialog(const QStringList& patterns);
    // Emits chosen unless nothing was chosen.
    void report(const QList<QUrl>& files);

    QWidget* m_owner;
    QPointer<QFileDialog> m_dialog;
    bool m_isAskingPortal = false;
};
