// The file click on a read-only drawing held open and locked by another program (POSIX locks).
#include "app/form1.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "components/dwgvignette.h"
#include "platform/tray.h"
#include "support/dwgwriter.h"
#include "support/lockholder.h"
#include "support/samples.h"
#include "support/testwindow.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace dsc;

namespace {

class LockedFileClick : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(
            dir / "plan.dwg",
            test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0x00FF00; })).build());
        form.open();
    }
    void click(const std::string& name) { ASSERT_TRUE(form.clickFile(name)) << name; }

    test::TempDir dir;
    test::TestWindow form{dir.path()};
};

} // namespace

TEST_F(LockedFileClick, ReadOnlyFileHeldLockedByAnotherProgramShowsItsRealDates) {
    // Last written 2001-02-03 04:05:06 UTC, read-only, and held open for writing under an exclusive
    // lock by another process: the dates are still read (nothing here opens it for writing or locks it).
    const auto path = dir / "plan.dwg";
    const struct timespec times[2] = {{981173106, 0}, {981173106, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    test::LockHolder holder(path);
    ASSERT_TRUE(holder.locked());
    ::chmod(path.c_str(), 0444);
    click("plan.dwg");
    const std::int64_t written = 116444736000000000LL + 981173106LL * 10000000LL;
    EXPECT_EQ(form->lblModif->text().toStdString(), DateEnTexte(written, form.locale));
    EXPECT_FALSE(form->DwgVignette1->image().isNull()); // and the preview is read as well
}

// Told from the icon alone, so the GUI thread never waits on a panel over D-Bus.
TEST(LinuxTrayActivation, OnlyAPanelsItemOpensOnItsPrimaryActivation) {
    EXPECT_TRUE(dsc::platform::primaryActivationOpens(false)); // StatusNotifierItem: Activate is the one click
    EXPECT_FALSE(dsc::platform::primaryActivationOpens(true)); // XEmbed: a single click, the double-click opens
}
