#pragma once
// The main window wired to fakes for the tray and the locale, for GUI tests and benchmarks.
// Owns the fakes and the window together, so the window never outlives what it was given.

#include "app/form1.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <memory>

namespace dsc::test {

// Waits for `done` while the event loop runs without a pause (QTest::qWaitFor sleeps between its
// checks, which would read as the window not answering). False when `ms` went by first.
template <typename Pred> bool waitAwake(Pred done, int ms) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

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
        (void)settle();
        return *m_form;
    }
    void close() { m_form.reset(); }
    // Waits until the window shows all it was reading (folders, files, a preview); false when it
    // is still reading after `ms`.
    [[nodiscard]] bool settle(int ms = 10000) const {
        return QTest::qWaitFor([this] { return !m_form->busy(); }, ms);
    }
    // A click on a file of the list once the folder is read, and what it shows, read.
    [[nodiscard]] bool clickFile(const std::filesystem::path& name, int ms = 10000) const {
        const bool ok = settle() && m_form->filFich1->clickName(name);
        return settle(ms) && ok;
    }
    // Makes `folder` current and waits until it is read; false when it could not be entered.
    [[nodiscard]] bool go(const std::filesystem::path& folder) const {
        m_form->dirDisc1->setPath(folder);
        return settle() && m_form->dirDisc1->path() == folder.lexically_normal();
    }
    // The slide of the current name in the library list, shown.
    void pickSlide() const {
        m_form->lstSld1_Click();
        (void)settle();
    }
    Form1* operator->() const { return m_form.get(); }
    Form1* get() const { return m_form.get(); }

private:
    std::unique_ptr<Form1> m_form;
};

} // namespace dsc::test
