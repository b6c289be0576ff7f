// When the program's panel reaches the screen after a click, seen from outside: it hears of the
// panel's window being mapped from the X server ($DISPLAY: Xvfb, or XWayland on a Wayland
// desktop), then reads the panel's place on the screen again and again until what is there
// holds still, from one of:
//   x11    the root window of $DISPLAY (what an X server shows, composited or not)
//   kwin   KWin's ScreenShot2 on the session bus (what KWin composites on Wayland)
//   grim   grim on $WAYLAND_DISPLAY (what a wlroots compositor shows)
// It reads commands from its standard input, one a line:
//   watch    forgets what came before, says "watching", then waits (5 s at most) for a window of
//            the panel's size (360 x 520, or 392 x 552 with a compositor's shadow margin) to be
//            mapped and says "mapped T drawn T every MS": when the map came and when the screen
//            first showed the panel as it settled (at most 2% of its pixels otherwise), in
//            milliseconds since the epoch, and how often the screen was read; "error: ..." else.
// It prints "ready" once it listens.
//   panel_drawn x11|kwin|grim

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::system_clock;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

struct Region {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Pixels as 0xRRGGBB, row by row.
using Pixels = std::vector<uint32_t>;

// Whether two reads differ in at most 2% of their pixels (by more than a rounding's worth).
bool alike(const Pixels& a, const Pixels& b) {
    if (a.size() != b.size() || a.empty())
        return false;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (const int shift : {0, 8, 16}) {
            const int difference =
                static_cast<int>((a[i] >> shift) & 0xff) - static_cast<int>((b[i] >> shift) & 0xff);
            if (std::abs(difference) > 8) {
                ++differing;
                break;
            }
        }
    }
    return differing * 50 <= a.size();
}

std::optional<Pixels> readX11(xcb_connection_t* connection, xcb_window_t root, const Region& r) {
    const xcb_get_image_cookie_t cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(r.x),
                      static_cast<int16_t>(r.y), static_cast<uint16_t>(r.width),
                      static_cast<uint16_t>(r.height), ~0U);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->depth < 24)
        return std::nullopt;
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(reply.get()));
    const std::size_t count =
        static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height);
    if (static_cast<std::size_t>(xcb_get_image_data_length(reply.get())) < count * 4)
        return std::nullopt;
    Pixels pixels(data, data + count);
    for (uint32_t& pixel : pixels)
        pixel &= 0xffffff;
    return pixels;
}

std::optional<Pixels> readKWin(const Region& r) {
    int ends[2];
    if (pipe(ends) != 0)
        return std::nullopt;
    QDBusInterface screenshot(QStringLiteral("org.kde.KWin"),
                              QStringLiteral("/org/kde/KWin/ScreenShot2"),
                              QStringLiteral("org.kde.KWin.ScreenShot2"));
    const QDBusReply<QVariantMap> reply =
        screenshot.call(QStringLiteral("CaptureArea"), r.x, r.y, static_cast<uint>(r.width),
                        static_cast<uint>(r.height), QVariantMap(),
                        QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])));
    close(ends[1]);
    std::vector<unsigned char> data;
    unsigned char buffer[65536];
    for (ssize_t got = 0; (got = read(ends[0], buffer, sizeof buffer)) > 0;)
        data.insert(data.end(), buffer, buffer + got);
    close(ends[0]);
    if (!reply.isValid())
        return std::nullopt;
    const int width = reply.value().value(QStringLiteral("width")).toInt();
    const int height = reply.value().value(QStringLiteral("height")).toInt();
    const std::size_t stride = reply.value().value(QStringLiteral("stride")).toUInt();
    if (width != r.width || height != r.height || data.size() < stride * std::size_t(height))
        return std::nullopt;
    // 32-bit pixels in the machine's order: blue, green, red, alpha.
    Pixels pixels;
    pixels.reserve(std::size_t(width) * std::size_t(height));
    for (int row = 0; row < height; ++row) {
        const unsigned char* line = data.data() + stride * std::size_t(row);
        for (int column = 0; column < width; ++column)
            pixels.push_back(uint32_t(line[4 * column + 2]) << 16 |
                             uint32_t(line[4 * column + 1]) << 8 | line[4 * column]);
    }
    return pixels;
}

std::optional<Pixels> readGrim(const Region& r) {
    const std::string command = "grim -t ppm -g '" + std::to_string(r.x) + "," +
                                std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "' - 2>/dev/null";
    FILE* output = popen(command.c_str(), "r");
    if (!output)
        return std::nullopt;
    int width = 0;
    int height = 0;
    int maximum = 0;
    const bool header = std::fscanf(output, "P6 %d %d %d", &width, &height, &maximum) == 3 &&
                        std::fgetc(output) != EOF;
    std::vector<unsigned char> data(std::size_t(std::max(width, 0)) *
                                    std::size_t(std::max(height, 0)) * 3);
    const bool whole = header && std::fread(data.data(), 1, data.size(), output) == data.size();
    pclose(output);
    if (!whole || width != r.width || height != r.height || maximum != 255)
        return std::nullopt;
    Pixels pixels(data.size() / 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t(data[3 * i]) << 16 | uint32_t(data[3 * i + 1]) << 8 | data[3 * i + 2];
    return pixels;
}

// The panel inside a window of `width` x `height` at (x, y) on the screen, if it is one.
std::optional<Region> panelIn(int x, int y, int width, int height) {
    if (width == 360 && height == 520)
        return Region{x, y, 360, 520};
    if (width == 392 && height == 552) // the shadow's margin: 16 at the sides, 12 above
        return Region{x + 16, y + 12, 360, 520};
    return std::nullopt;
}

// The panel in the window `window` or the windows it holds (a window manager's frame).
std::optional<Region> findPanel(xcb_connection_t* connection, xcb_window_t root,
                                xcb_window_t window, int depth = 0) {
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr),
        &std::free);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> place(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr),
        &std::free);
    if (!geometry || !place)
        return std::nullopt;
    if (auto panel = panelIn(place->dst_x, place->dst_y, geometry->width, geometry->height))
        return panel;
    if (depth >= 3)
        return std::nullopt;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (auto panel = findPanel(connection, root, children[i], depth + 1))
            return panel;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    const std::string source = argc == 2 ? argv[1] : "";
    if (source != "x11" && source != "kwin" && source != "grim") {
        std::fputs("usage: panel_drawn x11|kwin|grim\n", stderr);
        return 2;
    }
    QCoreApplication application(argc, argv);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("panel_drawn: no X display\n", stderr);
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection);
    const auto read = [&](const Region& region) {
        if (source == "x11")
            return readX11(connection, root, region);
        return source == "kwin" ? readKWin(region) : readGrim(region);
    };
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        if (line != "watch") {
            std::cout << "error: unknown command " << line << std::endl;
            continue;
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
        std::cout << "watching" << std::endl;

        // The panel's window mapped.
        const long long deadline = nowMs() + 5000;
        std::optional<Region> panel;
        long long mapped = 0;
        while (!panel && nowMs() < deadline) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(
                xcb_poll_for_event(connection), &std::free);
            if (!event) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            mapped = nowMs();
            panel = findPanel(connection, root,
                              reinterpret_cast<xcb_map_notify_event_t*>(event.get())->window);
        }
        if (!panel) {
            std::cout << "error: no window of the panel's size was mapped" << std::endl;
            continue;
        }

        // Its place read until it has held still for 0.3 s (3 s at most); the first read that
        // looks as the last does is when it was drawn.
        std::vector<std::pair<long long, Pixels>> reads;
        std::size_t stillSince = 0;
        while (nowMs() < mapped + 3000) {
            std::optional<Pixels> pixels = read(*panel);
            if (!pixels)
                break;
            const long long at = nowMs();
            reads.emplace_back(at, std::move(*pixels));
            if (!alike(reads[stillSince].second, reads.back().second))
                stillSince = reads.size() - 1;
            if (at - reads[stillSince].first >= 300)
                break;
            if (source == "x11")
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (reads.size() < 2) {
            std::cout << "error: could not read the screen" << std::endl;
            continue;
        }
        const auto drawn = std::find_if(reads.begin(), reads.end(), [&](const auto& earlier) {
            return alike(earlier.second, reads.back().second);
        });
        const long long every =
            (reads.back().first - reads.front().first) / static_cast<long long>(reads.size() - 1);
        std::cout << "mapped " << mapped << " drawn " << drawn->first << " every " << every
                  << std::endl;
    }
    xcb_disconnect(connection);
    return 0;
}
