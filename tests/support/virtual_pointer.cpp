// A pointer for a compositor that has none (headless sway): a virtual-pointer device that
// reads commands from its standard input, one a line, and says "ok" after each:
//   click X Y    moves to (X, Y) of the output and clicks the left button
//   right X Y    the same with the right button
//   move X Y     only moves there (out of a screenshot's way, say)
// It prints "ready" once the device exists; the device lives until input ends.

#include "virtual-pointer-v1-client.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    wl_output* output = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        static_cast<Globals*>(data)->width = width;
        static_cast<Globals*>(data)->height = height;
    }
}
void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}
void outputDone(void*, wl_output*) {}
void outputScale(void*, wl_output*, int32_t) {}
const wl_output_listener outputListener{outputGeometry, outputMode, outputDone,
                                        outputScale,    nullptr,    nullptr};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0 && !globals->output) {
        globals->output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        wl_output_add_listener(globals->output, &outputListener, globals);
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

constexpr uint32_t leftButton = 0x110; // BTN_LEFT
constexpr uint32_t rightButton = 0x111;

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("virtual_pointer: no Wayland display\n", stderr);
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display); // the output's mode
    if (!globals.manager || !globals.seat || globals.width <= 0) {
        std::fputs("virtual_pointer: the compositor offers no virtual pointer\n", stderr);
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;

    // Real times: toolkits tell a double click from two clicks by the events' times.
    const auto now = [] {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    };
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        uint32_t x = 0;
        uint32_t y = 0;
        if (!(words >> command >> x >> y) ||
            (command != "click" && command != "right" && command != "move")) {
            std::cout << "error: " << line << std::endl;
            continue;
        }
        if (command == "move") {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y,
                                                    static_cast<uint32_t>(globals.width),
                                                    static_cast<uint32_t>(globals.height));
            zwlr_virtual_pointer_v1_frame(pointer);
            wl_display_roundtrip(display);
            std::cout << "ok" << std::endl;
            continue;
        }
        const uint32_t button = command == "click" ? leftButton : rightButton;
        // A step beside the place first: a surface that appeared under a resting pointer
        // learns of it only from motion.
        for (const uint32_t dy : {1U, 0U}) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y + dy,
                                                    static_cast<uint32_t>(globals.width),
                                                    static_cast<uint32_t>(globals.height));
            zwlr_virtual_pointer_v1_frame(pointer);
            wl_display_roundtrip(display);
        }
        zwlr_virtual_pointer_v1_button(pointer, now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, now(), button, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
