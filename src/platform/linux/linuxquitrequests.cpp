// Linux: the package manager replaces files of a running program without asking it to end, so
// nothing asks; the listener listens for nothing.
#include "platform/quitrequests.h"

namespace dsc::platform {

struct QuitRequests::Listener {};

QString quitRequestName() {
    return {};
}

QuitRequests::QuitRequests(std::function<void()>) {}

QuitRequests::~QuitRequests() = default;

bool QuitRequests::listening() const {
    return false;
}

} // namespace dsc::platform
