# Sourced by the X11 end-to-end tests.
# geometry_of WINDOW: sets X, Y, WIDTH and HEIGHT; false when the window has gone in the meantime
# (a pop-up closing as it is looked at), so that no caller reads a size left unset under `set -u`,
# which would end the test silently inside a `wait_for`.
geometry_of() {
    local g
    g=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) && [ -n "$g" ] || return 1
    eval "$g"
}
