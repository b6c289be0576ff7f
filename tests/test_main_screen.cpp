// The panel's screens and the pieces they share: navigation between screens, the headers and
// their buttons, the text styles, colours and symbols, and the main screen.

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Support/Desktop/Symbols.h"
#include "Support/LoginItem.h"
#include "Views/DropZone.h"
#include "Views/MachineBar.h"
#include "Views/MainScreen.h"
#include "Views/PopoverView.h"
#include "Views/RecentSendDrag.h"
#include "Views/Screen.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/Spinner.h"
#include "Views/Widgets/StatusDot.h"
#include "Views/Widgets/StyledLabel.h"
#include "support/DragEvents.h"
#include "support/Gallery.h"
#include "support/Machines.h"
#include "support/Scans.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// WCAG contrast ratio of two opaque colours.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `color` laid over the opaque `background`.
QColor over(const QColor& color, const QColor& background) {
    const double a = color.alphaF();
    return QColor::fromRgbF(static_cast<float>(color.redF() * a + background.redF() * (1 - a)),
                            static_cast<float>(color.greenF() * a + background.greenF() * (1 - a)),
                            static_cast<float>(color.blueF() * a + background.blueF() * (1 - a)));
}

// The header title of a pushed screen.
QString headerTitle(QWidget* screen) {
    auto* header = screen ? screen->findChild<ScreenHeader*>() : nullptr;
    return header ? header->title() : QString();
}

// Counts the pixels drawn (alpha over half) and checks they are all near `color`.
int pixelsNear(const QImage& image, const QColor& color, int* strays = nullptr) {
    int count = 0;
    int off = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++count;
            if (std::abs(pixel.red() - color.red()) > 8 ||
                std::abs(pixel.green() - color.green()) > 8 ||
                std::abs(pixel.blue() - color.blue()) > 8)
                ++off;
        }
    }
    if (strays)
        *strays = off;
    return count;
}

} // namespace

class TestMainScreen : public QObject {
    Q_OBJECT

    QTemporaryDir m_configHome;

private slots:
    void initTestCase() {
        // The main screen's login item reads the autostart folder: this run's own.
        QVERIFY(m_configHome.isValid());
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
    }

    // --- screens and navigation --------------------------------------------------------------

    void screensCompareOnEveryFieldAndNameTheirIdentity() {
        const SavedMachine a = savedMachine();
        SavedMachine renamed = a;
        renamed.name = QStringLiteral("Attic");
        const SavedMachine b = savedMachine();

        QCOMPARE(Screen::machines(), Screen::machines());
        QCOMPARE(Screen::addMachine(), Screen::addMachine());
        QVERIFY(Screen::machines() != Screen::addMachine());
        QCOMPARE(Screen::editMachine(a), Screen::editMachine(a));
        QVERIFY(Screen::editMachine(a) != Screen::machineInfo(a));
        QVERIFY(Screen::editMachine(a) != Screen::editMachine(renamed)); // any field counts
        QVERIFY(Screen::editMachine(a) != Screen::editMachine(b));
        QCOMPARE(qHash(Screen::editMachine(a)), qHash(Screen::editMachine(a)));
        QVERIFY(qHash(Screen::editMachine(a)) != qHash(Screen::machineInfo(a)));
        QSet<Screen> set{Screen::editMachine(a), Screen::editMachine(a), Screen::machines(),
                         Screen::editMachine(renamed)};
        QCOMPARE(set.size(), 3);

        const QString uuid = a.id.toString(QUuid::WithoutBraces).toUpper();
        QCOMPARE(Screen::editMachine(a).identity(), QStringLiteral("edit-") + uuid);
        QCOMPARE(Screen::machineInfo(a).identity(), QStringLiteral("info-") + uuid);
        QCOMPARE(Screen::addMachine().identity(), QStringLiteral("add"));
        // The identity follows the machine, not its fields: an edited payload is the same view.
        QCOMPARE(Screen::editMachine(renamed).identity(), Screen::editMachine(a).identity());
    }

    void settingsMenuPushesAndBackPops() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        QVERIFY(view.path().isEmpty());
        MainScreen* main = view.mainScreen();
        QVERIFY(main);
        // Every item is live now.
        for (QAction* action : main->settingsMenu()->actions())
            QVERIFY(action->isEnabled());

        main->machinesAction()->trigger();
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        QVERIFY(!view.mainScreen());
        QCOMPARE(headerTitle(view.currentScreen()), QStringLiteral("Machines"));

        // Back is a real click on the header's back button.
        auto* header = view.currentScreen()->findChild<ScreenHeader*>();
        QTest::mouseClick(header->backButton(), Qt::LeftButton);
        QVERIFY(view.path().isEmpty());
        QVERIFY(view.mainScreen());
        QVERIFY(view.mainScreen() != main); // a fresh main screen

        view.mainScreen()->addMachineAction()->trigger();
        QCOMPARE(view.path(), QList<Screen>{Screen::addMachine()});
        QCOMPARE(headerTitle(view.currentScreen()), QStringLiteral("Add Machine"));
        view.pop();
        view.pop(); // empty: ignored
        QVERIFY(view.path().isEmpty());
        QCOMPARE(view.currentIdentity(), mainScreenIdentity);
    }

    void infoThenEditThenSaveReturnsThroughTheStack() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        const SavedMachine studio = savedMachine();
        QSignalSpy changes(&view, &PopoverView::pathChanged);

        view.mainScreen()->machinesAction()->trigger();
        view.push(Screen::machineInfo(studio));
        QCOMPARE(headerTitle(view.currentScreen()), QStringLiteral("Studio"));
        view.push(Screen::editMachine(studio));
        QCOMPARE(headerTitle(view.currentScreen()), QStringLiteral("Edit Machine"));
        view.pop(); // the editor finished
        QCOMPARE(view.currentIdentity(), Screen::machineInfo(studio).identity());
        view.pop();
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        view.pop();
        QVERIFY(view.mainScreen());
        QCOMPARE(changes.count(), 6);
    }

    void aNewIdentityStartsAfreshTheSameKeepsItsState() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        const SavedMachine a = savedMachine({.name = "A"});
        const SavedMachine b = savedMachine({.name = "B"});

        view.push(Screen::machineInfo(a));
        QPointer<QWidget> infoA = view.currentScreen();
        infoA->setProperty("touched", true);
        view.pop();
        view.push(Screen::machineInfo(b));
        QVERIFY(view.currentScreen() != infoA.data());
        QCOMPARE(headerTitle(view.currentScreen()), QStringLiteral("B"));
        QVERIFY(!view.currentScreen()->property("touched").isValid());
        view.pop();

        // The same screen twice: both kept in the path, one view with its state.
        view.push(Screen::machines());
        QPointer<QWidget> machines = view.currentScreen();
        machines->setProperty("touched", true);
        view.push(Screen::machines());
        QCOMPARE(view.path().size(), 2);
        QCOMPARE(view.currentScreen(), machines.data());
        QVERIFY(view.currentScreen()->property("touched").toBool());

        // The outgoing screen goes once control is back in the event loop.
        view.pop();
        view.pop();
        QTRY_VERIFY(!machines);
    }

    void escapeGoesBackOneScreen() {
        TemporaryStore store;
        AppState state(store.open());
        // The machines list scans and the info screen checks when they show: nowhere here.
        MachineDiscovery::Environment nowhere = Scans::noNetwork();
        nowhere.probe = [](QString, qint64, double) -> QCoro::Task<std::optional<MachineInfo>> {
            co_return std::nullopt;
        };
        state.monitor().setDiscoveryEnvironment(nowhere);
        PopoverView view(state);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        const SavedMachine studio = savedMachine();
        view.push(Screen::machines());
        view.push(Screen::machineInfo(studio));

        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_COMPARE(view.path(), QList<Screen>{Screen::machines()});
        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_VERIFY(view.path().isEmpty());
        QVERIFY(view.mainScreen());
        // On the main screen Escape is the close button's (which closes the popover; no
        // popover here, so nothing else happens).
        QSignalSpy closes(view.mainScreen()->closeButton(), &QAbstractButton::clicked);
        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_COMPARE(closes.count(), 1);
        QVERIFY(view.path().isEmpty());
    }

    void mainScreenComingBackMakesANewLoginItem() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        QPointer<LoginItem> first = view.mainScreen()->loginItem();
        const QString entry =
            m_configHome.filePath(QStringLiteral("autostart/com.bobbinlark.Bobbinlark.desktop"));
        view.mainScreen()->startAtLoginAction()->trigger();
        QVERIFY(QFile::exists(entry));

        view.push(Screen::machines());
        // Meanwhile another program removes the entry; the main screen coming back reads it.
        QVERIFY(QFile::remove(entry));
        view.pop();
        QTRY_VERIFY(!first);
        QVERIFY(!view.mainScreen()->loginItem()->isEnabled());
        QVERIFY(!view.mainScreen()->startAtLoginAction()->isChecked());
    }

    // --- header pieces -----------------------------------------------------------------------

    void headerButtonsHighlightAndTakeClicksOnTheWholeSquare() {
        QWidget window;
        auto* button = new HeaderButton(QStringLiteral("pencil"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        // A corner of the square, far from the symbol, is still the button.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicks.count(), 1);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(26, 26));
        QCOMPARE(button->highlightOpacity(), 0.16);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(26, 26));
        QCOMPARE(clicks.count(), 2);

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(button->highlightOpacity(), 0.08);
        QCOMPARE(button->currentTone(), Style::Tone::primary);
        button->setEnabled(false);
        QCOMPARE(button->highlightOpacity(), 0.0);
        QCOMPARE(button->currentTone(), Style::Tone::tertiary);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 2);

        // The symbol is drawn in the tone: lighter when disabled on a light window.
        window.setPalette(Gallery::lightPalette());
        const QImage disabled = button->grab().toImage();
        button->setEnabled(true);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        const QImage enabled = button->grab().toImage();
        const auto darkest = [](const QImage& image) {
            int best = 255;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    best = std::min(best, image.pixelColor(x, y).lightness());
            return best;
        };
        QVERIFY2(darkest(disabled) > darkest(enabled) + 60,
                 qPrintable(QStringLiteral("%1 %2").arg(darkest(disabled)).arg(darkest(enabled))));

        button->setBusy(true);
        QVERIFY(button->findChild<Spinner*>()->isSpinning());
        button->setBusy(false);
        QVERIFY(!button->findChild<Spinner*>());
    }

    void settingsButtonOpensItsMenuOnPress() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        HeaderButton* settings = view.mainScreen()->settingsButton();
        QCOMPARE(settings->toolTip(), QStringLiteral("Settings"));
        QTest::mousePress(settings, Qt::LeftButton);
        QTRY_VERIFY(settings->menu()->isVisible());
        QVERIFY(settings->isDown());
        settings->menu()->hide();
        QVERIFY(!settings->isDown());
    }

    void screenHeaderLaysOutBackTitleAndTrailing() {
        int backs = 0;
        ScreenHeader header(QStringLiteral("A rather long machine name that cannot fit at all"),
                            [&backs] { ++backs; });
        auto* check = new HeaderButton(QStringLiteral("arrow.clockwise"));
        auto* edit = new HeaderButton(QStringLiteral("pencil"));
        header.addTrailing(check);
        header.addTrailing(edit);
        header.resize(360, header.sizeHint().height());
        header.show();
        QVERIFY(QTest::qWaitForWindowExposed(&header));
        QCOMPARE(header.height(), 41);
        QCOMPARE(header.backButton()->toolTip(), QStringLiteral("Back"));
        QCOMPARE(header.backButton()->shortcut(), QKeySequence(Qt::Key_Escape));
        // Pulled 6 towards the edge; the trailing buttons end at the 12-pixel inset, 4 apart.
        QCOMPARE(header.backButton()->x(), 6);
        QCOMPARE(edit->geometry().right(), 360 - 12 - 1);
        QCOMPARE(edit->x() - check->geometry().right() - 1, 4);
        // The title keeps to one line between them.
        auto* title = header.findChild<StyledLabel*>();
        QVERIFY(title->text().endsWith(QStringLiteral("…")));
        QVERIFY(title->geometry().right() < check->x());
        QTest::mouseClick(header.backButton(), Qt::LeftButton);
        QCOMPARE(backs, 1);
        Gallery::render(header, QStringLiteral("screen-header"));
    }

    // --- style, symbols and small widgets ----------------------------------------------------

    void textStylesFollowTheApplicationFont() {
        const QFont base = QApplication::font();
        const auto size = [](const QFont& font) { return QFontInfo(font).pixelSize(); };
        QCOMPARE(size(Style::font(Style::TextStyle::body)), size(base));
        QVERIFY(size(Style::font(Style::TextStyle::callout)) <= size(base));
        QVERIFY(size(Style::font(Style::TextStyle::caption)) <
                size(Style::font(Style::TextStyle::body)));
        QVERIFY(size(Style::font(Style::TextStyle::title3)) > size(base));
        QCOMPARE(Style::font(Style::TextStyle::headline).weight(), QFont::DemiBold);
        QCOMPARE(Style::medium(Style::font(Style::TextStyle::callout)).weight(), QFont::Medium);

        QFont large = base;
        large.setPointSizeF(20);
        QVERIFY(Style::font(Style::TextStyle::caption, large).pointSizeF() > 15);
        QFont pixels = base;
        pixels.setPixelSize(30);
        QVERIFY(Style::font(Style::TextStyle::title3, pixels).pixelSize() > 30);
        QVERIFY(QFontInfo(Style::monospaced(Style::TextStyle::caption)).fixedPitch());
    }

    void coloursReadWellInBothThemes_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << Gallery::lightPalette();
        QTest::newRow("dark") << Gallery::darkPalette();
    }

    void coloursReadWellInBothThemes() {
        QFETCH(QPalette, palette);
        const QColor window = palette.color(QPalette::Window);
        const auto on = [&](Style::Tone tone) {
            return contrast(over(Style::color(tone, palette), window), window);
        };
        QVERIFY(on(Style::Tone::primary) > 12);
        QVERIFY2(on(Style::Tone::secondary) >= 4.5,
                 qPrintable(QString::number(on(Style::Tone::secondary))));
        QVERIFY(on(Style::Tone::tertiary) >= 1.8);
        QVERIFY(on(Style::Tone::secondary) > on(Style::Tone::tertiary));
        QVERIFY(on(Style::Tone::tertiary) > on(Style::Tone::quaternary));
        // Signal colours are used for text (red subtitles, orange warnings): readable.
        for (const Style::Tone tone :
             {Style::Tone::green, Style::Tone::red, Style::Tone::orange, Style::Tone::accent})
            QVERIFY2(on(tone) >= 3, qPrintable(QString::number(on(tone))));
        QCOMPARE(Style::isDark(palette), window.lightness() < 128);
    }

    void everySymbolHasAThemeIconOrADrawing() {
        const QStringList names = Symbols::names();
        QCOMPARE(names.size(), 20);
        const QColor tint(0x20, 0x80, 0xd0);
        QStringList drawn;
        for (const QString& name : names) {
            const QString icon = Symbols::themeName(name);
            if (Symbols::isDrawn(name)) {
                drawn << name;
            } else {
                QVERIFY2(icon.endsWith(QStringLiteral("-symbolic")), qPrintable(icon));
                QVERIFY2(QIcon::hasThemeIcon(icon), qPrintable(icon));
            }
            // Tinted to the colour asked for, with enough ink to see.
            int strays = 0;
            const QImage image = Symbols::pixmap(name, 16, tint, 2).toImage();
            QCOMPARE(image.size(), QSize(32, 32));
            const int inked = pixelsNear(image, tint, &strays);
            QVERIFY2(inked > 40, qPrintable(name));
            QVERIFY2(strays * 10 < inked, qPrintable(name));
        }
        drawn.sort();
        QCOMPARE(drawn, (QStringList{QStringLiteral("arrow.down.circle.fill"),
                                     QStringLiteral("checkmark.circle.fill"),
                                     QStringLiteral("circle.dashed"),
                                     QStringLiteral("exclamationmark.circle.fill"),
                                     QStringLiteral("exclamationmark.shield.fill"),
                                     QStringLiteral("questionmark.circle"),
                                     QStringLiteral("square.and.arrow.down"),
                                     QStringLiteral("xmark.circle.fill")}));
        QVERIFY(Symbols::pixmap(QStringLiteral("no.such.symbol"), 16, tint).toImage().isNull() ||
                pixelsNear(Symbols::pixmap(QStringLiteral("no.such.symbol"), 16, tint).toImage(),
                           tint) == 0);
        QVERIFY(Symbols::themeName(QStringLiteral("no.such.symbol")).isEmpty());
    }

    void styledLabelsKeepTheirToneAcrossThemesAndShorten() {
        QWidget parent;
        parent.setPalette(Gallery::lightPalette());
        auto* label = new StyledLabel(QStringLiteral("flower.pes"), Style::TextStyle::caption,
                                      QFont::Normal, Style::Tone::secondary, &parent);
        parent.show(); // resizes reach a shown label at once
        QCOMPARE(label->textColor(), Style::color(Style::Tone::secondary, Gallery::lightPalette()));
        parent.setPalette(Gallery::darkPalette());
        QCOMPARE(label->textColor(), Style::color(Style::Tone::secondary, Gallery::darkPalette()));
        label->setTone(Style::Tone::red);
        QCOMPARE(label->textColor(), Style::color(Style::Tone::red, Gallery::darkPalette()));
        parent.setPalette(Gallery::lightPalette());
        QCOMPARE(label->textColor(), Style::color(Style::Tone::red, Gallery::lightPalette()));
        parent.setPalette(QPalette());
        QCOMPARE(label->textColor(), Style::color(Style::Tone::red, QPalette()));
        // Drawn in that colour, too.
        parent.setPalette(Gallery::lightPalette());
        label->resize(label->sizeHint());
        const QImage drawn = label->grab().toImage();
        int reddish = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                reddish += c.red() > c.green() + 60 ? 1 : 0;
            }
        QVERIFY(reddish > 10);

        label->setText(QStringLiteral("a-very-long-design-name-that-goes-on-and-on-forever.pes"));
        label->setElideMode(Qt::ElideMiddle);
        label->resize(120, label->sizeHint().height());
        QVERIFY(label->text().contains(QStringLiteral("…")));
        QVERIFY(label->text().startsWith(QStringLiteral("a-")));
        QVERIFY(label->text().endsWith(QStringLiteral(".pes")));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= 120);

        label->setText(QStringLiteral("one two three four five six seven eight nine ten eleven "
                                      "twelve thirteen fourteen fifteen sixteen"));
        label->setMaximumLines(2);
        label->resize(100, label->heightForWidth(100));
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.last().endsWith(QStringLiteral("…")));
        QVERIFY(label->heightForWidth(100) >= 2 * label->fontMetrics().lineSpacing());
        QVERIFY(label->heightForWidth(100) < 3 * label->fontMetrics().lineSpacing());
        label->setText(QStringLiteral("short"));
        QCOMPARE(label->text(), QStringLiteral("short"));
    }

    void spinnerTurnsOnlyWhileShownAndDotsTakeTheirColours() {
        QWidget window;
        auto* spinner = new Spinner(&window);
        QCOMPARE(spinner->size(), QSize(16, 16));
        QVERIFY(!spinner->isSpinning());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(spinner->isSpinning());
        const int phase = spinner->phase();
        QTRY_VERIFY(spinner->phase() != phase);
        spinner->hide();
        QVERIFY(!spinner->isSpinning());

        const QPalette light = Gallery::lightPalette();
        QCOMPARE(StatusDot::color(Reachability::reachable, light),
                 Style::color(Style::Tone::green, light));
        QCOMPARE(StatusDot::color(Reachability::unreachable, light),
                 Style::color(Style::Tone::red, light));
        QCOMPARE(StatusDot::color(Reachability::unknown, light),
                 StatusDot::color(Reachability::checking, light));
        StatusDot dot(Reachability::unreachable);
        dot.setPalette(light);
        QCOMPARE(dot.size(), QSize(8, 8));
        const QImage image = dot.grab().toImage();
        QCOMPARE(image.pixelColor(4, 4), Style::color(Style::Tone::red, light));
    }

    void recentSendDragsAreHonouredOnlyFromThisProcess() {
        const QUuid id = QUuid::createUuid();
        const std::unique_ptr<QMimeData> own = RecentSendDrag::makeData(id);
        QVERIFY(RecentSendDrag::carriesType(own.get()));
        QCOMPARE(own->data(RecentSendDrag::mimeType),
                 id.toString(QUuid::WithoutBraces).toUpper().toUtf8());
        QCOMPARE(RecentSendDrag::entryID(own.get()), std::optional<QUuid>(id));
        QVERIFY(RecentSendDrag::isFromThisProcess(own.get(), nullptr));

        // The same bytes from elsewhere: Qt made the data object, and no drag of ours is running.
        QMimeData foreign;
        foreign.setData(RecentSendDrag::mimeType, own->data(RecentSendDrag::mimeType));
        QVERIFY(!RecentSendDrag::isFromThisProcess(&foreign, nullptr));
        QVERIFY(RecentSendDrag::isFromThisProcess(&foreign, &foreign)); // a source: ours

        QMimeData braces;
        braces.setData(RecentSendDrag::mimeType, id.toString().toUtf8());
        QCOMPARE(RecentSendDrag::entryID(&braces), std::nullopt);
        QMimeData garbage;
        garbage.setData(RecentSendDrag::mimeType, QByteArray("\xff\xfe not an id at all \x80\x81"));
        QCOMPARE(RecentSendDrag::entryID(&garbage), std::nullopt);
        QCOMPARE(RecentSendDrag::entryID(nullptr), std::nullopt);
    }

    // --- the main screen ---------------------------------------------------------------------

    void mainScreenIsLaidOutAsItsPartsSay() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        MainScreen* main = view.mainScreen();
        const auto inView = [&view](const QWidget* widget) {
            return QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size());
        };
        QCOMPARE(inView(main->closeButton()).right(), 360 - 12 - 1);
        QCOMPARE(inView(main->closeButton()).y(), (40 - 28) / 2);
        QCOMPARE(inView(main->settingsButton()).right() + 6 + 1, inView(main->closeButton()).x());
        QCOMPARE(inView(main->glyph()).x(), 12);
        const QRect bar = inView(main->machineBar());
        QCOMPARE(bar, QRect(12, 41 + 10, 360 - 24, 44));
        const QRect drop = inView(main->dropZone());
        QCOMPARE(drop, QRect(12, bar.bottom() + 1 + 10, 360 - 24, 170));
        const QRect recents = inView(main->recentSends());
        QCOMPARE(recents.y(), drop.bottom() + 1 + 12);
        QCOMPARE(recents.bottom(), 519);
        QCOMPARE(recents.width(), 360);

        const Gallery::Shots shots = Gallery::render(view, QStringLiteral("main-screen-frame"));
        QVERIFY(shots.saved);
        QVERIFY(QFileInfo::exists(Gallery::directory() +
                                  QStringLiteral("/main-screen-frame-dark.png")));
        QVERIFY(shots.light != shots.dark);
    }

    void dragEventHelpersReachTheTarget() {
        // A bare widget that accepts drops: the helpers deliver each event with its data.
        struct Target : QWidget {
            QStringList seen;
            Target() { setAcceptDrops(true); }
            void dragEnterEvent(QDragEnterEvent* event) override {
                seen << QStringLiteral("enter");
                event->acceptProposedAction();
            }
            void dragMoveEvent(QDragMoveEvent* event) override {
                seen << QStringLiteral("move");
                event->acceptProposedAction();
            }
            void dragLeaveEvent(QDragLeaveEvent*) override { seen << QStringLiteral("leave"); }
            void dropEvent(QDropEvent* event) override {
                seen << event->mimeData()->urls().first().fileName();
                event->acceptProposedAction();
            }
        } target;
        target.resize(100, 100);
        const auto data = DragEvents::urls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.pes"))});
        QVERIFY(DragEvents::enter(&target, data.get()));
        DragEvents::leave(&target);
        QVERIFY(DragEvents::dragAndDrop(&target, data.get()));
        QCOMPARE(target.seen, (QStringList{QStringLiteral("enter"), QStringLiteral("move"),
                                           QStringLiteral("leave"), QStringLiteral("enter"),
                                           QStringLiteral("move"), QStringLiteral("a.pes")}));
    }
};

QTEST_MAIN(TestMainScreen)
#include "test_main_screen.moc"
