// Exit 0 when an X selection (default: the tray's, _NET_SYSTEM_TRAY_S0) has an owner, 1 when not,
// 2 without a display. Lets the end-to-end test wait for the tray host.
#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char** argv) {
    const char* selection = argc > 1 ? argv[1] : "_NET_SYSTEM_TRAY_S0";
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return 2;
    }
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection, False));
    std::printf("%s owner=0x%lx\n", selection, static_cast<unsigned long>(owner));
    XCloseDisplay(display);
    return owner ? 0 : 1;
}
