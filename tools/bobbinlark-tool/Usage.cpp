// What both bobbinlark-tool programs say about their use.

#include "Commands.h"

#include <cstdio>

int Commands::usage() {
    static constexpr const char* lines[] = {
        "add-machine NAME HOST [PORT]",
        "contact-sheet [--size N] OUT.png FILE...",
        "info HOST [PORT]",
        "preview FILE [--png OUT] [--size N]",
        "scan [--port N]",
        "send FILE...",
        "upload HOST [PORT] FILE [--max-bytes N]",
    };
    std::fputs("usage:\n", stderr);
    for (const char* line : lines)
        std::fprintf(stderr, "  bobbinlark-tool %s\n", line);
    return 2;
}

std::optional<qint64> Commands::parsePort(const QString& text) {
    bool ok = false;
    const qint64 port = text.toLongLong(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}
