#pragma once

#include "Models/SendLogEntry.h"
#include "Models/SendStatus.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// What a desktop notification says about a batch that ended: the panel's summary when all went
// out; else which design failed, and the panel's message, which says how many went and why the
// last one failed.
struct BatchNotice {
    Q_DECLARE_TR_FUNCTIONS(BatchNotice)

public:
    QString summary;
    QString body;
    bool failed = false;

    // `status` is the batch's final one; `batch` the recent sends it recorded, newest first.
    // Nothing for a status that ends no batch.
    static std::optional<BatchNotice> from(const SendStatus& status,
                                           const QList<SendLogEntry>& batch);

    friend bool operator==(const BatchNotice&, const BatchNotice&) = default;
};
