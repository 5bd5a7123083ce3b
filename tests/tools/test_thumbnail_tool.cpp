// The command-line previewer, run as a file manager would run it.
#include "support/dwgwriter.h"
#include "support/samples.h"
#include "support/slidewriter.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace test = dsc::test;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

ToolRun tool(const std::vector<std::string>& args) {
    std::string cmd = quote(std::string(DESSISCOPE_BIN_DIR) + "/dessiscope-thumbnail");
    for (const auto& a : args) {
        cmd += " " + quote(a);
    }
    cmd += " 2>&1";
    ToolRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) {
        r.out.append(buffer, n);
    }
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

QJsonObject json(const ToolRun& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

class ThumbnailTool : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(
            dir / "a.sld",
            test::SlideWriter().colour(1).vector(0, 0, 572, 292).fill({{1, 1}, {9, 1}, {5, 5}}).end().bytes());
        test::writeFile(dir / "lib.slb",
                        test::writeLibrary({{"UN", test::simpleSlide(1)}, {"DEUX", test::simpleSlide(2)}}));
        auto big =
            test::drawingWith(2, test::writeDib(600, 300, 24, [](int, int) -> std::uint32_t { return 0x102030; }));
        test::writeFile(dir / "big.dwg", big.build());
        auto small =
            test::drawingWith(2, test::writeDib(30, 10, 24, [](int, int) -> std::uint32_t { return 0x102030; }));
        test::writeFile(dir / "small.dwg", small.build());
        test::DwgWriter empty;
        test::writeFile(dir / "empty.dwg", empty.build());
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    test::TempDir dir;
};

TEST_F(ThumbnailTool, PngsNoLargerThanAskedKeepingTheAspect) {
    ASSERT_EQ(tool({"-s", "128", path("a.sld"), path("a.png")}).status, 0);
    QImage img(QString::fromStdString(path("a.png")));
    EXPECT_EQ(img.width(), 128);
    EXPECT_NEAR(double(img.width()) / img.height(), 1.4647, 0.02);

    ASSERT_EQ(tool({path("lib.slb"), path("l.png")}).status, 0); // first slide, default size
    EXPECT_EQ(QImage(QString::fromStdString(path("l.png"))).width(), 256);
    ASSERT_EQ(tool({path("lib.slb") + "(deux)", path("l2.png")}).status, 0);

    ASSERT_EQ(tool({"-s", "200", path("big.dwg"), path("b.png")}).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(path("b.png"))).size(), QSize(200, 100));
    ASSERT_EQ(tool({"-s", "200", path("small.dwg"), path("s.png")}).status, 0); // never magnified
    EXPECT_EQ(QImage(QString::fromStdString(path("s.png"))).size(), QSize(30, 10));
}

TEST_F(ThumbnailTool, ExitStatusesAndMessages) {
    const ToolRun none = tool({path("empty.dwg"), path("e.png")});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("empty"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "e.png"));
    EXPECT_EQ(tool({path("lib.slb") + "(TROIS)", path("x.png")}).status, 1);
    EXPECT_EQ(tool({path("missing.sld"), path("x.png")}).status, 2);
    EXPECT_EQ(tool({}).status, 2);
    EXPECT_EQ(tool({"-s", "0", path("a.sld"), path("x.png")}).status, 2);
    EXPECT_EQ(tool({"--bogus", path("a.sld")}).status, 2);
    EXPECT_EQ(tool({path("a.sld"), path("no/such/folder/x.png")}).status, 2);
    const ToolRun usage = tool({"only-one"});
    EXPECT_NE(usage.out.find("usage:"), std::string::npos);
}

TEST_F(ThumbnailTool, InfoAsJson) {
    const QJsonObject slide = json(tool({"--info", path("a.sld")}));
    EXPECT_EQ(slide["kind"].toString(), "slide");
    EXPECT_EQ(slide["level"].toInt(), 2);
    EXPECT_EQ(slide["byte_order"].toString(), "little-endian");
    EXPECT_EQ(slide["hx"].toInt(), 572);
    EXPECT_EQ(slide["records"].toObject()["fill"].toInt(), 5);
    EXPECT_EQ(slide["colours"].toArray(), QJsonArray({1}));

    const QJsonObject lib = json(tool({"--info", path("lib.slb")}));
    EXPECT_EQ(lib["kind"].toString(), "library");
    const QJsonArray members = lib["members"].toArray();
    ASSERT_EQ(members.size(), 2);
    EXPECT_EQ(members[1].toObject()["name"].toString(), "DEUX");
    EXPECT_EQ(members[0].toObject()["offset"].toInt(), 32 + 36 * 3);

    const QJsonObject dwg = json(tool({"--info", path("big.dwg")}));
    EXPECT_EQ(dwg["version"].toString(), "AC1018");
    EXPECT_EQ(dwg["release"].toString(), "2004");
    EXPECT_EQ(dwg["image_address"].toInt(), 0x1C0);
    EXPECT_EQ(dwg["entries"].toArray().size(), 2);
    EXPECT_EQ(dwg["image"].toObject()["kind"].toString(), "bmp");
    EXPECT_EQ(dwg["image"].toObject()["width"].toInt(), 600);
}

TEST_F(ThumbnailTool, VectorsInSlideCoordinates) {
    const ToolRun r = tool({"--vectors", path("a.sld")});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "line 0 0 572 292 1\nfill 1 1 1 9 1 5 5\n");
}

TEST_F(ThumbnailTool, EveryRealSample) {
    DSC_REQUIRE_SAMPLES();
    for (const auto& kind : {"dwg", "sld"}) {
        for (const auto& e : std::filesystem::directory_iterator(test::samplesDir() / kind)) {
            const std::string ext = e.path().extension().string();
            if (ext != ".dwg" && ext != ".DWG" && ext != ".sld" && ext != ".slb") {
                continue;
            }
            SCOPED_TRACE(e.path().string());
            const ToolRun r = tool({"-s", "64", e.path().string(), path("out.png")});
            ASSERT_TRUE(r.status == 0 || r.status == 1) << r.out;
            if (r.status == 0) {
                const QImage img(QString::fromStdString(path("out.png")));
                EXPECT_LE(std::max(img.width(), img.height()), 64);
                EXPECT_FALSE(img.isNull());
            }
            EXPECT_EQ(tool({"--info", e.path().string()}).status, 0);
        }
    }
}

// Drawings without a stored preview are drawn from their geometry; those with one keep it, and
// --geometry draws the geometry anyway.
TEST_F(ThumbnailTool, WhereADrawingsPictureComesFrom) {
    DSC_REQUIRE_SAMPLES();
    struct Case {
        const char* file;
        const char* source;
    };
    const Case cases[] = {
        {"pre_r2.10_entities_AC2.10.dwg", "geometry"},
        {"pre_r10_entities_AC1006.dwg", "geometry"},
        {"pre_r11_LINE1_AC1009.DWG", "geometry"},
        {"r2000_PolyLine2D_empty_preview.dwg", "geometry"},
        {"r2018_Arc_header_only.dwg", "geometry"},
        {"r2018_Constraints_empty_preview.dwg", "geometry"},
        {"r2000_example.dwg", "stored"},
        {"r2004_example.dwg", "stored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string input = (test::samplesDir() / "dwg" / c.file).string();
        const QJsonObject info = json(tool({"--info", input}));
        EXPECT_EQ(info["source"].toString(), c.source);
        const QJsonObject geometry = info["geometry"].toObject();
        EXPECT_FALSE(geometry.contains("error")) << geometry["error"].toString().toStdString();
        EXPECT_FALSE(geometry["entities"].toObject().isEmpty());
        EXPECT_EQ(geometry["drawn_extents"].toArray().size(), 2);

        ASSERT_EQ(tool({"-s", "128", input, path("stored.png")}).status, 0);
        ASSERT_EQ(tool({"--geometry", "-s", "128", input, path("geometry.png")}).status, 0);
        const QImage stored(QString::fromStdString(path("stored.png")));
        const QImage drawn(QString::fromStdString(path("geometry.png")));
        EXPECT_EQ(std::max(drawn.width(), drawn.height()), 128);
        EXPECT_EQ(stored == drawn, std::string(c.source) == "geometry");
    }
}

} // namespace

TEST(ThumbnailToolLinks, NoToolkit) {
    // File managers start the tool once per file: it must not wait for a toolkit to load.
    const ToolRun r = [] {
        ToolRun run;
        FILE* p = ::popen(("ldd " + quote(std::string(DESSISCOPE_BIN_DIR) + "/dessiscope-thumbnail")).c_str(), "r");
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) {
            run.out.append(buffer, n);
        }
        run.status = ::pclose(p);
        return run;
    }();
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("libQt6"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("libspng"), std::string::npos) << r.out;
}
