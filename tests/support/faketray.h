#pragma once
// A tray that records every call, whose availability tests switch, and that can raise notifications.

#include "platform/tray.h"

#include <vector>

namespace dsc::test {

class FakeTray : public platform::TrayService {
public:
    struct Call {
        std::uint32_t message;
        platform::NotifyIconData data;
    };
    bool available = true;
    std::vector<Call> calls;
    bool iconPresent = false;

    bool notifyIcon(std::uint32_t message, const platform::NotifyIconData& data) override {
        calls.push_back({message, data});
        if (!available) {
            return false;
        }
        const bool wasPresent = iconPresent;
        if (message == platform::NIM_ADD) {
            iconPresent = true;
            return !wasPresent;
        }
        if (message == platform::NIM_DELETE) {
            iconPresent = false;
            return wasPresent;
        }
        return false;
    }
    bool isAvailable() override {
        ++availabilityQueries;
        return available;
    }
    int availabilityQueries = 0;
    void setCallback(std::function<void(int)> callback) override { m_callback = std::move(callback); }
    void notify(int mouseMessage) {
        if (m_callback) {
            m_callback(mouseMessage);
        }
    }

private:
    std::function<void(int)> m_callback;
};

} // namespace dsc::test
