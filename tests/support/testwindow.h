#pragma once
// The main window wired to fakes for the tray and the locale, for GUI tests and benchmarks.
// Owns the fakes and the window together, so the window never outlives what it was given.

#include "app/form1.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"

#include <memory>

namespace dsc::test {

class TestWindow {
public:
    FakeLocale locale;
    FakeTray tray;
    Form1Services services;

    explicit TestWindow(const std::filesystem::path& startFolder, platform::FileSystem* fs = nullptr) {
        services.locale = &locale;
        services.tray = &tray;
        services.trayWaitMs = 0;
        services.startFolder = startFolder;
        if (fs) {
            services.fileSystem = fs;
        }
    }
    // Builds the window anew with the current services, as it is before its load handler runs.
    Form1& create() {
        m_form.reset();
        m_form = std::make_unique<Form1>(services);
        return *m_form;
    }
    // Builds the window anew, runs its load handler and opens it.
    Form1& open() {
        create().Form_Load();
        m_form->AfficheFenetre();
        return *m_form;
    }
    void close() { m_form.reset(); }
    Form1* operator->() const { return m_form.get(); }
    Form1* get() const { return m_form.get(); }

private:
    std::unique_ptr<Form1> m_form;
};

} // namespace dsc::test
