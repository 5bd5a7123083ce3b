#pragma once
// A tray that records every call, whose availability tests switch, and that can raise notifications.

#include "platform/tray.h"

#include <vector>

namespace dsc::test {

class FakeTray : public platform::TrayService {
public:
    struct Call {
        bool add = false;
        std::uint32_t id = 0;
        platform::TrayIcon icon; // what an addition handed over
    };
    bool available = true;
    std::vector<Call> calls;
    bool iconPresent = false;
    int availabilityQueries = 0;

    bool addIcon(const platform::TrayIcon& icon) override {
        calls.push_back({true, icon.id, icon});
        if (!available || iconPresent) {
            return false;
        }
        iconPresent = true;
        return true;
    }
    bool removeIcon(std::uint32_t id) override {
        calls.push_back({false, id, {}});
        const bool wasPresent = iconPresent;
        iconPresent = false;
        return available && wasPresent;
    }
    bool isAvailable() override {
        ++availabilityQueries;
        return available;
    }
    void setCallback(std::function<void(int)> callback) override { m_callback = std::move(callback); }
    bool hasCallback() const { return static_cast<bool>(m_callback); }
    void notify(platform::TrayMouse message) { notify(static_cast<int>(message)); }
    void notify(int mouseMessage) {
        if (m_callback) {
            m_callback(mouseMessage);
        }
    }

private:
    std::function<void(int)> m_callback;
};

} // namespace dsc::test
