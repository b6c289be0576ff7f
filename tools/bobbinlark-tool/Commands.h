#pragma once

#include <QStringList>

// Each subcommand of bobbinlark-tool lives in its own file and returns the process exit code:
// 0 on success, 1 when the work failed, 2 for a usage error. `arguments` excludes the program
// and the subcommand names.
namespace Commands {

// Scans this computer's local networks for machines; `--port N` probes another port.
int scan(const QStringList& arguments);

// Writes the usage line of every command to stderr; returns 2.
int usage();

} // namespace Commands
