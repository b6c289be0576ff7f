#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The design files the machines read, decided by file-name extension alone.
namespace StitchFileTypes {

// Lower-case extensions without dots, in display order.
const QStringList& sendableExtensions();

// ".pes, .phc, .dst or .pen"
QString displayList();

// The text after the last "." of the last path component, lower-cased; empty without one.
QString extensionOf(const QUrl& fileURL);

bool isSendable(const QUrl& fileURL);

} // namespace StitchFileTypes
