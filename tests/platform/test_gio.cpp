// The Linux launcher and trash against real GIO, in a throw-away desktop configuration.
// DSC_GIO_CASE=associated installs a viewer for drawings; DSC_GIO_CASE=none installs nothing.
#include "platform/launcher.h"
#include "platform/trash.h"
#include "support/dwgwriter.h"
#include "support/samples.h"

#include <gio/gio.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace dsc;

namespace {

std::filesystem::path g_home;

// Runs before GIO reads any configuration: a home of its own with an optional default viewer.
class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static test::TempDir home;
        g_home = home.path();
        const auto data = g_home / "data", config = g_home / "config";
        std::filesystem::create_directories(data / "applications");
        std::filesystem::create_directories(config);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::setenv("HOME", g_home.c_str(), 1);
        const char* which = std::getenv("DSC_GIO_CASE");
        if (which && std::string(which) == "associated") {
            const auto viewer = g_home / "viewer.sh";
            std::ofstream(viewer) << "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > '" << (g_home / "marker").string()
                                  << ".tmp' && mv '" << (g_home / "marker").string() << ".tmp' '"
                                  << (g_home / "marker").string() << "'\n";
            ::chmod(viewer.c_str(), 0755);
            std::ofstream(data / "applications/dessiscope-test-viewer.desktop")
                << "[Desktop Entry]\nType=Application\nName=Test viewer\nExec=" << viewer.string()
                << " %f\nMimeType=image/vnd.dwg;\nNoDisplay=true\n";
            std::ofstream(config / "mimeapps.list")
                << "[Default Applications]\nimage/vnd.dwg=dessiscope-test-viewer.desktop\n";
        }
    }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

bool caseIs(const char* name) {
    const char* which = std::getenv("DSC_GIO_CASE");
    return which && std::string(which) == name;
}

std::string waitForMarker() {
    for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists(g_home / "marker")) {
            std::ifstream in(g_home / "marker");
            return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

// Runs the main context, as the window's event loop does, until `done` or ten seconds.
void runMainContextUntil(const bool& done) {
    bool late = false;
    const guint timeout = g_timeout_add_seconds(
        10, [](gpointer late) { return *static_cast<bool*>(late) = true, G_SOURCE_REMOVE; }, &late);
    while (!done && !late) {
        g_main_context_iteration(nullptr, TRUE);
    }
    if (!late) {
        g_source_remove(timeout);
    }
}

} // namespace

// Without waiting: the call returns at once and the outcome comes through the main context.
TEST(GioLauncher, OpensWithoutWaitingOnTheFile) {
    const auto folder = g_home / "plus tard";
    std::filesystem::create_directories(folder);
    test::writeFile(folder / "plan.dwg", test::drawingWith(2, test::Bytes(64, 0)).build());
    bool done = false;
    platform::LaunchOutcome outcome;
    platform::systemLauncher().openAsync(0, "plan.dwg", folder.string() + "/",
                                         [&](const platform::LaunchOutcome& o) { outcome = o, done = true; });
    EXPECT_FALSE(done);
    runMainContextUntil(done);
    ASSERT_TRUE(done);
    if (caseIs("associated")) {
        EXPECT_EQ(outcome.result, platform::LaunchOutcome::Result::Started) << outcome.reason;
        EXPECT_EQ(waitForMarker(), folder.string() + "\n" + (folder / "plan.dwg").string() + "\n");
        std::filesystem::remove(g_home / "marker");
    } else {
        EXPECT_EQ(outcome.result, platform::LaunchOutcome::Result::NoAssociation);
    }
}

TEST(GioTrash, TrashesWithoutWaitingOnTheFile) {
    const auto file = g_home / "coupe BB.sld";
    test::writeFile(file, {1, 2, 3});
    bool done = false, trashed = false;
    std::string reason;
    platform::systemTrash().moveToTrashAsync(
        file, [&](bool ok, const std::string& why) { trashed = ok, reason = why, done = true; });
    EXPECT_FALSE(done);
    runMainContextUntil(done);
    ASSERT_TRUE(done);
    EXPECT_TRUE(trashed) << reason;
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::exists(g_home / "data/Trash/files/coupe BB.sld"));
    // A file that is not there: the reason comes the same way.
    done = false;
    platform::systemTrash().moveToTrashAsync(
        file, [&](bool ok, const std::string& why) { trashed = ok, reason = why, done = true; });
    runMainContextUntil(done);
    ASSERT_TRUE(done);
    EXPECT_FALSE(trashed);
    EXPECT_FALSE(reason.empty());
}

TEST(GioLauncher, OpensTheDrawingInItsFolder) {
    if (!caseIs("associated")) {
        GTEST_SKIP() << "run with DSC_GIO_CASE=associated";
    }
    const auto folder = g_home / "Mes dessins (2024)";
    std::filesystem::create_directories(folder);
    test::writeFile(folder / "plan d'étage.dwg", test::drawingWith(2, test::Bytes(64, 0)).build());
    const auto outcome = platform::systemLauncher().open(0, "plan d'étage.dwg", folder.string() + "/");
    ASSERT_EQ(outcome.result, platform::LaunchOutcome::Result::Started) << outcome.reason;
    const std::string marker = waitForMarker();
    EXPECT_EQ(marker, folder.string() + "\n" + (folder / "plan d'étage.dwg").string() + "\n");
}

TEST(GioLauncher, NoProgramAssociated) {
    if (!caseIs("none")) {
        GTEST_SKIP() << "run with DSC_GIO_CASE=none";
    }
    test::writeFile(g_home / "plan.dwg", test::drawingWith(2, test::Bytes(64, 0)).build());
    const auto outcome = platform::systemLauncher().open(0, "plan.dwg", g_home.string());
    EXPECT_EQ(outcome.result, platform::LaunchOutcome::Result::NoAssociation);
}

TEST(GioTrash, MovesToTheTrashWhereItCanBeRestored) {
    const auto folder = g_home / "work dir";
    std::filesystem::create_directories(folder);
    const auto file = folder / "coupe AA.sld";
    test::writeFile(file, {1, 2, 3});
    std::string reason;
    ASSERT_TRUE(platform::systemTrash().moveToTrash(file.string(), reason)) << reason;
    EXPECT_FALSE(std::filesystem::exists(file));
    const auto trash = g_home / "data/Trash";
    ASSERT_TRUE(std::filesystem::exists(trash / "files/coupe AA.sld"));
    std::ifstream info(trash / "info/coupe AA.sld.trashinfo");
    const std::string text{std::istreambuf_iterator<char>(info), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("[Trash Info]"), std::string::npos);
    EXPECT_NE(text.find("Path=" + folder.string().substr(0, folder.string().find(' ')) + "%20dir/coupe%20AA.sld"),
              std::string::npos)
        << text;
    // Restoring is moving it back.
    std::filesystem::rename(trash / "files/coupe AA.sld", file);
    EXPECT_EQ(test::readFile(file), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(GioTrash, AFileThatCannotBeTrashedStaysWhereItIs) {
    std::vector<std::filesystem::path> places;
    if (std::filesystem::is_directory("/dev/shm")) {
        places.push_back("/dev/shm"); // a system mount GIO will not trash on
    }
    test::TempDir locked;
    if (::geteuid() != 0) {
        places.push_back(locked.path()); // a folder the user cannot write
    }
    for (const auto& place : places) {
        SCOPED_TRACE(place.string());
        const auto dir = place / ("dessiscope-trash-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const auto file = dir / "plan.dwg";
        test::writeFile(file, {7});
        if (place == locked.path()) {
            ::chmod(dir.c_str(), 0555);
        }
        std::string reason;
        EXPECT_FALSE(platform::systemTrash().moveToTrash(file.string(), reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_TRUE(std::filesystem::exists(file));
        ::chmod(dir.c_str(), 0755);
        std::filesystem::remove_all(dir);
    }
    if (places.empty()) {
        GTEST_SKIP() << "no place here where trashing fails";
    }
}
