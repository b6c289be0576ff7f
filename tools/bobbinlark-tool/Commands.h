#pragma once

#include "Designs/StitchPreview.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>

#include <optional>

// Each subcommand of bobbinlark-tool lives in its own file and returns the process exit code:
// 0 on success, 1 when the work failed, 2 for a usage error. `arguments` excludes the program
// and the subcommand names. These commands draw nothing and need only QtCore and QtNetwork; the
// ones that draw are in DrawingCommands.h and run in bobbinlark-tool-draw.
namespace Commands {

// The info query's time-out, as the program's own reachability checks use.
inline constexpr double infoTimeoutSeconds = 5.0;

// Writes the usage line of every command to stderr; returns 2.
int usage();

// A TCP port from 1 to 65535 in decimal; absent otherwise.
std::optional<qint64> parsePort(const QString& text);

// info HOST [PORT]: prints the machine's info as one JSON object.
int info(const QStringList& arguments);

// upload HOST [PORT] FILE [--max-bytes N]: sends one design file.
int upload(const QStringList& arguments);

// scan [--port N]: the program's own network scan; one JSON object per machine as it answers.
int scan(const QStringList& arguments);

// send FILE...: sends designs through the pipeline on the user's saved machines.
int send(const QStringList& arguments);

// add-machine NAME HOST [PORT]: saves a machine and selects it.
int addMachine(const QStringList& arguments);

// preview FILE [--size N]: prints the preview as JSON, or null (exit 1). With --png OUT the
// drawing program runs it (DrawingCommands::preview).
int preview(const QStringList& arguments);

struct PreviewRequest {
    QString file;
    QString png; // empty: no picture
    int size = 40;
};
// The arguments of `preview`; absent for a usage error.
std::optional<PreviewRequest> parsePreviewArguments(const QStringList& arguments);
// The preview as one line of JSON, "null" when there is none.
QByteArray previewJson(const std::optional<StitchPreview>& preview);

} // namespace Commands
