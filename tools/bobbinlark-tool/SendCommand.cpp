// `bobbinlark-tool send FILE...`: the program's own send pipeline, headless, on the user's saved
// machines and selection. Prints each change of the send status as one line. When Bobbinlark
// runs, the files go to it instead, as opening them with it would; its panel shows the outcome.

#include "Commands.h"
#include "Designs/StitchFileTypes.h"
#include "State/AppState.h"
#include "Support/SettingsStore.h"
#include "Support/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <QCoroTask>

#include <algorithm>
#include <cstdio>

int Commands::send(const QStringList& arguments) {
    if (arguments.isEmpty())
        return usage();
    QList<QUrl> fileURLs;
    for (const QString& path : arguments)
        fileURLs.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));

    // A running program sends them, so its panel shows the progress; one that runs but does
    // not answer is reported rather than worked around.
    SingleInstance running(SingleInstance::defaultDirectory());
    if (const std::optional<bool> handed = running.tryHandOff(fileURLs)) {
        if (!*handed) {
            std::fputs("Bobbinlark is running but did not take the files.\n", stderr);
            return 1;
        }
        std::printf("handed to the running Bobbinlark\n");
        return 0;
    }

    AppState state(SettingsStore::openUserStore());
    QObject::connect(
        &state.sendQueue(), &SendQueue::sendStatusChanged, &state.sendQueue(), [&state] {
            std::printf("%s\n", qUtf8Printable(describe(state.sendQueue().sendStatus())));
            std::fflush(stdout);
        });
    QObject::connect(&state.sendQueue(), &SendQueue::batchFinished, &state.sendQueue(),
                     [] { QCoreApplication::exit(0); });

    // The panel knows each machine's area and upload limit from the check made when it opens;
    // ask the machine that will get the designs the same, so a design larger than its area is
    // reported here too. Not when nothing would be sent: that refusal needs no machine.
    const std::optional<SavedMachine> machine = state.machineList().selectedMachine();
    if (machine && std::any_of(fileURLs.cbegin(), fileURLs.cend(), &StitchFileTypes::isSendable))
        QCoro::waitFor(state.monitor().check(*machine));

    state.sendQueue().send(fileURLs);
    // A request refused before queueing has already shown its error.
    if (!state.sendQueue().isSending())
        return 1;
    QCoreApplication::exec();
    // The status names a failed write of the recent sends; the exit code counts it too.
    const bool recorded = !state.store().storeProblem();
    return std::holds_alternative<SendStatuses::Sent>(state.sendQueue().sendStatus()) && recorded
               ? 0
               : 1;
}
