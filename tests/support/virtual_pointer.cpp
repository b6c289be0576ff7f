// A pointer for a compositor that has none (headless sway, KWin's virtual output): a device of
// wlroots' virtual-pointer protocol, or KWin's fake input, whichever the compositor offers, that
// reads commands from its standard input, one a line, and says "ok" after each:
//   click X Y    moves to (X, Y) of the output and clicks the left button
//   right X Y    the same with the right button
//   move X Y     only moves there (out of a screenshot's way, say)
//   key CODE     presses and releases the key of that Linux key code (fake input only)
// It prints "ready" once the device exists; the device lives until input ends.

#include "fake-input-client.h"
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
    org_kde_kwin_fake_input* fakeInput = nullptr;
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
    else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        globals->fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
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

// Real times: toolkits tell a double click from two clicks by the events' times.
uint32_t now() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// The device, through whichever protocol the compositor offers.
class Device {
public:
    Device(wl_display* display, const Globals& globals)
        : m_display(display)
        , m_globals(globals) {
        if (globals.manager)
            m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager,
                                                                               globals.seat);
        else
            org_kde_kwin_fake_input_authenticate(globals.fakeInput, "Bobbinlark tests",
                                                 "clicks as a person makes them");
        wl_display_roundtrip(display);
    }
    ~Device() {
        if (m_pointer)
            zwlr_virtual_pointer_v1_destroy(m_pointer);
        wl_display_roundtrip(m_display);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    void move(uint32_t x, uint32_t y) {
        if (m_pointer) {
            zwlr_virtual_pointer_v1_motion_absolute(m_pointer, now(), x, y,
                                                    static_cast<uint32_t>(m_globals.width),
                                                    static_cast<uint32_t>(m_globals.height));
            zwlr_virtual_pointer_v1_frame(m_pointer);
        } else {
            org_kde_kwin_fake_input_pointer_motion_absolute(m_globals.fakeInput,
                                                            wl_fixed_from_int(static_cast<int>(x)),
                                                            wl_fixed_from_int(static_cast<int>(y)));
        }
        wl_display_roundtrip(m_display);
    }
    void button(uint32_t button, wl_pointer_button_state state) {
        if (m_pointer) {
            zwlr_virtual_pointer_v1_button(m_pointer, now(), button, state);
            zwlr_virtual_pointer_v1_frame(m_pointer);
        } else {
            org_kde_kwin_fake_input_button(m_globals.fakeInput, button, state);
        }
    }
    bool key(uint32_t code) {
        if (m_pointer)
            return false;
        org_kde_kwin_fake_input_keyboard_key(m_globals.fakeInput, code, 1);
        org_kde_kwin_fake_input_keyboard_key(m_globals.fakeInput, code, 0);
        wl_display_roundtrip(m_display);
        return true;
    }
    void roundtrip() { wl_display_roundtrip(m_display); }

private:
    wl_display* m_display;
    const Globals& m_globals;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
};

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
    if (!(globals.manager || globals.fakeInput) || !globals.seat || globals.width <= 0) {
        std::fputs("virtual_pointer: the compositor offers no virtual pointer\n", stderr);
        return 1;
    }
    {
        Device device(display, globals);
        std::cout << "ready" << std::endl;
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream words(line);
            std::string command;
            uint32_t x = 0;
            uint32_t y = 0;
            if (words >> command && command == "key" && words >> x && device.key(x)) {
                std::cout << "ok" << std::endl;
                continue;
            }
            if (!(words >> x >> y) ||
                (command != "click" && command != "right" && command != "move")) {
                std::cout << "error: " << line << std::endl;
                continue;
            }
            if (command == "move") {
                device.move(x, y);
                std::cout << "ok" << std::endl;
                continue;
            }
            const uint32_t button = command == "click" ? leftButton : rightButton;
            // A step beside the place first: a surface that appeared under a resting pointer
            // learns of it only from motion.
            for (const uint32_t dy : {1U, 0U})
                device.move(x, y + dy);
            device.button(button, WL_POINTER_BUTTON_STATE_PRESSED);
            device.button(button, WL_POINTER_BUTTON_STATE_RELEASED);
            device.roundtrip();
            std::cout << "ok" << std::endl;
        }
    }
    wl_display_disconnect(display);
    return 0;
}
