// Paths that carry a design's name but are no design: FIFOs, links to devices, sparse files of
// gigabytes. Every reader of designs (previews, the preview cache, the thumbnailer, the tool's
// preview and upload) refuses them at once: it never blocks, never crashes, never loads them.

#include "Designs/DesignFile.h"
#include "Designs/DesignFileStream.h"
#include "Designs/PreviewCache.h"
#include "Designs/PreviewReader.h"
#include "Designs/StitchPreview.h"
#include "support/StitchWriters.h"

#include <QCoroFuture>
#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 twoGigabytes = qint64(2) << 30;

QByteArray smallDesign() {
    using namespace StitchWriters;
    return dst({stitch(10, 0), stitch(0, 10), stitch(-10, 0)});
}

// A reader stuck in a FIFO's open is freed by a writer's open and close, so that a failing
// test ends instead of hanging the suite.
void unblock(const QString& fifo) {
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}

} // namespace

class TestSpecialFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    QString fifo(const QString& name) const {
        const QString made = path(name);
        if (::mkfifo(QFile::encodeName(made).constData(), 0600) != 0)
            qFatal("cannot make a FIFO");
        return made;
    }

    QString linkToZero(const QString& name) const {
        const QString made = path(name);
        if (!QFile::link(QStringLiteral("/dev/zero"), made))
            qFatal("cannot link to /dev/zero");
        return made;
    }

    // `content` and then holes up to `size` bytes, taking no room on disk.
    QString sparse(const QString& name, qint64 size, const QByteArray& content = {}) const {
        const QString made = path(name);
        QFile file(made);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
            !file.resize(size))
            qFatal("cannot make a sparse file");
        return made;
    }

    QString regular(const QString& name, const QByteArray& content) const {
        return sparse(name, content.size(), content);
    }

    // Runs `work` on another thread and waits for it; a FIFO it blocks in is freed on time-out.
    template <typename Work>
    static bool finishes(Work work, const QStringList& fifos = {}) {
        QFuture<void> future = QtConcurrent::run(work);
        QDeadlineTimer deadline(10000);
        while (!future.isFinished() && !deadline.hasExpired())
            QTest::qWait(10);
        if (future.isFinished())
            return true;
        for (const QString& fifo : fifos)
            unblock(fifo);
        future.waitForFinished();
        return false;
    }

    struct Run {
        bool finished = false;
        int exitCode = -1;
    };

    // A program on `arguments`; killed (after freeing `fifo`) when it does not end on its own.
    static Run run(const QString& program, const QStringList& arguments, const QString& fifo) {
        QProcess process;
        process.start(program, arguments);
        Run result;
        result.finished = process.waitForFinished(20000);
        if (!result.finished) {
            unblock(fifo);
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return result;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void readsOnlyRegularFilesWithinTheBound() {
        const QString design = regular(QStringLiteral("real.dst"), smallDesign());
        const auto read = DesignFile::read(design, smallDesign().size());
        QCOMPARE(std::get<QByteArray>(read), smallDesign()); // exactly the bound passes
        const auto over = DesignFile::read(design, smallDesign().size() - 1);
        QCOMPARE(std::get<DesignFile::TooLarge>(over).size, smallDesign().size());

        const QString huge = sparse(QStringLiteral("huge.dst"), twoGigabytes);
        QCOMPARE(std::get<DesignFile::TooLarge>(DesignFile::read(huge, DesignFile::sendLimit)).size,
                 twoGigabytes);

        const QString pipe = fifo(QStringLiteral("pipe.dst"));
        const QString zero = linkToZero(QStringLiteral("zero.pes"));
        for (const QString& special :
             {pipe, zero, m_dir->path(), path(QStringLiteral("missing.pes"))}) {
            bool unreadable = false;
            QVERIFY2(finishes(
                         [&] {
                             unreadable = std::holds_alternative<DesignFile::Unreadable>(
                                 DesignFile::read(special, DesignFile::previewLimit));
                         },
                         {pipe}),
                     qPrintable(special));
            QVERIFY2(unreadable, qPrintable(special));
            QVERIFY2(std::holds_alternative<DesignFile::Unreadable>(
                         DesignFileStream::open(special, DesignFile::previewLimit)),
                     qPrintable(special));
        }
        QVERIFY(std::holds_alternative<DesignFile::Unreadable>(
            DesignFile::read(QUrl(QStringLiteral("https://example.com/a.pes")), 100)));

        // Files that report no size are read, and still no further than the bound.
        const auto status = DesignFile::read(QStringLiteral("/proc/self/status"), 100000);
        QVERIFY(std::get<QByteArray>(status).startsWith("Name:"));
        QVERIFY(std::holds_alternative<DesignFile::TooLarge>(
            DesignFile::read(QStringLiteral("/proc/self/status"), 10)));
    }

    // Streamed, a file gives the bytes it had when opened, a piece at a time, or fails.
    void streamsGiveWhatTheFileHadWhenOpened() {
        const auto streamed = [](const QString& file, qint64 bound) {
            auto opened = DesignFileStream::open(file, bound);
            QByteArray all;
            auto* stream = std::get_if<DesignFileStream>(&opened);
            for (std::optional<QByteArray> piece;
                 stream && (piece = stream->next(7)) && !piece->isEmpty() && all.size() < 100'000;)
                all += *piece;
            return all;
        };
        const QString design = regular(QStringLiteral("real.dst"), smallDesign());
        QCOMPARE(streamed(design, smallDesign().size()), smallDesign());
        QVERIFY(std::holds_alternative<DesignFile::TooLarge>(
            DesignFileStream::open(design, smallDesign().size() - 1)));
        QVERIFY(streamed(QStringLiteral("/proc/self/status"), 100000).startsWith("Name:"));

        auto opened = DesignFileStream::open(design, smallDesign().size());
        auto& stream = std::get<DesignFileStream>(opened);
        QVERIFY(stream.next(4).has_value());
        QVERIFY(QFile::resize(design, 8)); // cut short while it is being sent
        QCOMPARE(stream.next(smallDesign().size()), std::nullopt);
    }

    void previewsOfSpecialFilesAreAbsent() {
        QVERIFY(PreviewReader::read(QUrl::fromLocalFile(regular("flower.dst", smallDesign()))));
        // The same design followed by holes past what any design needs is refused by its size.
        const QString padded =
            sparse(QStringLiteral("padded.dst"), DesignFile::previewLimit + 1, smallDesign());
        const QString pipe = fifo(QStringLiteral("x.dst"));
        const QString zero = linkToZero(QStringLiteral("zero.pes"));
        for (const QString& special : {padded, pipe, zero}) {
            bool absent = false;
            QVERIFY2(finishes([&] { absent = !PreviewReader::read(QUrl::fromLocalFile(special)); },
                              {pipe}),
                     qPrintable(special));
            QVERIFY2(absent, qPrintable(special));
        }
    }

    void thePreviewCacheNeverParksAThread() {
        PreviewCache cache;
        const QStringList pipes{fifo(QStringLiteral("one.pes")), fifo(QStringLiteral("two.dst"))};
        const QString zero = linkToZero(QStringLiteral("zero.dst"));
        const QString real = regular(QStringLiteral("real.dst"), smallDesign());
        // Files replaced since they were sent: each answer is "no preview", and a real design
        // asked after them still gets its own, so no thread of the cache was kept waiting.
        QList<std::optional<StitchPreview>> answers;
        bool done = false;
        auto ask = [](PreviewCache* asked, QStringList paths,
                      QList<std::optional<StitchPreview>>* replies,
                      bool* finished) -> QCoro::Task<> {
            for (const QString& file : paths)
                replies->append(co_await asked->preview(QUrl::fromLocalFile(file)));
            *finished = true;
        };
        auto task = ask(&cache, pipes + QStringList{zero, real}, &answers, &done);
        const auto waitForAnswers = [&done] {
            QDeadlineTimer deadline(10000);
            while (!done && !deadline.hasExpired())
                QTest::qWait(10);
        };
        waitForAnswers();
        const bool answeredOnTime = done;
        if (!answeredOnTime) {
            for (const QString& pipe : pipes)
                unblock(pipe);
            waitForAnswers();
        }
        QVERIFY(answeredOnTime);
        QCOMPARE(answers.size(), 4);
        QVERIFY(!answers[0] && !answers[1] && !answers[2]);
        QVERIFY(answers[3]);
    }

    void theToolsAndTheThumbnailerRefuseSpecialFiles() {
        const QString pipe = fifo(QStringLiteral("x.dst"));
        const QStringList files{pipe, linkToZero(QStringLiteral("zero.pes")),
                                sparse(QStringLiteral("huge.dst"), twoGigabytes, smallDesign())};
        const QString png = path(QStringLiteral("thumbnail.png"));
        for (const QString& file : files) {
            const QList<std::pair<QString, QStringList>> runs{
                {QStringLiteral(BOBBINLARK_TOOL_PATH), {QStringLiteral("preview"), file}},
                {QStringLiteral(BOBBINLARK_TOOL_PATH),
                 {QStringLiteral("upload"), QStringLiteral("127.0.0.1"), QStringLiteral("9"),
                  file}},
                {QStringLiteral(BOBBINLARK_THUMBNAILER_PATH),
                 {QStringLiteral("-s"), QStringLiteral("64"), file, png}},
            };
            for (const auto& [program, arguments] : runs) {
                const Run result = run(program, arguments, pipe);
                const QByteArray what = (QFileInfo(program).fileName() + u' ' + arguments.first() +
                                         u' ' + QFileInfo(file).fileName())
                                            .toUtf8();
                QVERIFY2(result.finished, what.constData());
                QVERIFY2(result.exitCode == 1, what.constData()); // refused, not crashed
                QVERIFY2(!QFile::exists(png), what.constData());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSpecialFiles)
#include "test_special_files.moc"
