#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Whether files exist, asked of the file system without holding up the GUI thread for long.
// Each question is one stat (never a read) on a thread of this object's own pool; the asker
// waits a short while for it, which a local disk easily meets, and otherwise gets the last
// answer known while `answered` reports a changed answer when it arrives. A path whose stat
// hangs (a vanished network mount) is not asked again until that stat returns, and is waited
// for no longer than the patience of the question that started it.
class FileExistence : public QObject {
    Q_OBJECT

public:
    // Whether something exists at a local path; runs on a pool thread.
    using Probe = std::function<bool(const QString& path)>;

    static constexpr std::chrono::milliseconds defaultPatience{20};

    explicit FileExistence(Probe probe = &FileExistence::statExists, QObject* parent = nullptr);
    ~FileExistence() override;

    // The program's instance. Never destroyed: a stat stuck on a dead mount must not hold up
    // the program's exit.
    static FileExistence& shared();

    // Asks the file system about `path` now (or joins the stat already out for it) and waits
    // until that stat is `patience` old for the answer. Absent when it has never answered for
    // this path. Asking with no patience starts stats for several paths at once. Call on the
    // object's thread.
    std::optional<bool> check(const QString& path, std::chrono::milliseconds patience);
    // The same with the object's patience.
    std::optional<bool> check(const QString& path) { return check(path, m_patience); }

    // Tests on a loaded machine wait longer; the program keeps the default.
    void setPatience(std::chrono::milliseconds patience) { m_patience = patience; }

    // The last answer known for `path`, without asking.
    std::optional<bool> known(const QString& path) const;

    // stat(2) through QFileInfo.
    static bool statExists(const QString& path);

signals:
    // A stat the asker stopped waiting for returned with an answer unlike the last known.
    void answered(const QString& path, bool exists);

private:
    struct Pending;
    struct Entry {
        std::optional<bool> known;
        std::shared_ptr<Pending> running;
    };

    void deliver(const QString& path, const std::shared_ptr<Pending>& pending);

    Probe m_probe;
    std::chrono::milliseconds m_patience = defaultPatience;
    QHash<QString, Entry> m_entries;
    // Last member: destroyed first, so its threads end before the entries go.
    QThreadPool m_pool;
};
