#include "Support/Desktop/BatchNotice.h"

std::optional<BatchNotice> BatchNotice::from(const SendStatus& status,
                                             const QList<SendLogEntry>& batch) {
    if (const auto* sent = std::get_if<SendStatuses::Sent>(&status))
        return BatchNotice{tr("Sent %1 to %2", "%1 is a file name or \"3 designs\"")
                               .arg(sent->summary, sent->machine),
                           sent->warningSummary().join(u'\n'), false};
    const auto* error = std::get_if<SendStatuses::Error>(&status);
    if (!error)
        return std::nullopt;

    // In the order they were sent.
    QStringList failed;
    for (auto entry = batch.crbegin(); entry != batch.crend(); ++entry) {
        if (!entry->ok)
            failed.append(entry->fileURL.fileName());
    }
    QString summary;
    if (failed.isEmpty()) // files of other types, or a record that could not be stored
        summary = tr("Not everything was sent");
    else if (failed.size() == 1)
        summary = tr("Couldn't send %1").arg(failed.first());
    else
        summary = tr("Couldn't send %1 and %n more", "%1 is a file name",
                     static_cast<int>(failed.size() - 1))
                      .arg(failed.first());
    return BatchNotice{summary, error->message, true};
}
