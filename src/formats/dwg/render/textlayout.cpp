#include "formats/dwg/render/textlayout.h"

#include <algorithm>
#include <cmath>

namespace dsc::dwg {

namespace {

constexpr double kAdvance = 1.0; // per character, in heights
constexpr double kDescent = 1.0 / 3.0;
constexpr double kLineGap = 5.0 / 3.0; // baseline to baseline, in heights

double lineLength(const std::u32string& s) {
    return s.empty() ? 0 : (double(s.size()) - 1) * kAdvance + 4.0 / 6.0;
}

// Segments gathered a few characters at a time, placed by `place` and handed on in batches: no
// text, however long, is held whole.
template <typename Place> class Batches {
public:
    Batches(GlyphSink& sink, Place place) : m_sink(sink), m_place(place) { m_batch.reserve(kFlushAt + 64); }
    ~Batches() { flush(); }

    // The glyphs of one line starting at (x, y), in height units.
    void line(const std::u32string& s, double x, double y) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const std::size_t from = m_batch.size();
            glyphSegments(s[i], x + double(i) * kAdvance, m_batch);
            for (std::size_t k = from; k < m_batch.size(); ++k) {
                m_batch[k].a.y += y;
                m_batch[k].b.y += y;
            }
            if (m_batch.size() >= kFlushAt) {
                flush();
            }
        }
    }
    void segment(Vec2 a, Vec2 b) { m_batch.push_back({a, b}); }
    // Segments made so far.
    std::size_t count() const { return m_handed + m_batch.size(); }
    void flush() {
        for (auto& g : m_batch) {
            g.a = m_place(g.a);
            g.b = m_place(g.b);
        }
        if (!m_batch.empty()) {
            m_sink.take(m_batch);
        }
        m_handed += m_batch.size();
        m_batch.clear();
    }

private:
    static constexpr std::size_t kFlushAt = 448; // a character adds a few dozen at most
    GlyphSink& m_sink;
    Place m_place;
    std::vector<GlyphSegment> m_batch;
    std::size_t m_handed = 0;
};

} // namespace

void layoutText(const Text& t, GlyphSink& sink) {
    if (!sane(t.insertion) || !sane(t.alignment) || !sane(t.height) || !sane(t.rotation) || !sane(t.widthFactor) ||
        !sane(t.oblique) || t.height <= 0) {
        return;
    }
    const std::u32string s = decodeText(t.text);
    if (s.empty()) {
        return;
    }
    const double len = lineLength(s);
    double xScale = t.height * (t.widthFactor > 0 ? t.widthFactor : 1), yScale = t.height;
    double angle = t.rotation, x0 = 0;
    Vec3 anchor = t.insertion;
    const bool twoPoints = t.horizontal == 3 || t.horizontal == 5;
    if (twoPoints) {
        const double dx = t.alignment.x - t.insertion.x, dy = t.alignment.y - t.insertion.y, d = std::hypot(dx, dy);
        if (d > 0) {
            angle = std::atan2(dy, dx);
            xScale = d / len;
            if (t.horizontal == 3) {
                yScale = xScale / (t.widthFactor > 0 ? t.widthFactor : 1);
            }
        }
    } else if (t.horizontal != 0 || t.vertical != 0) {
        anchor = t.alignment;
        const double w = len;
        x0 = t.horizontal == 1 || t.horizontal == 4 ? -w / 2 : t.horizontal == 2 ? -w : 0;
    }
    double y0 = 0;
    if (!twoPoints) {
        y0 = t.horizontal == 4 && t.vertical == 0 ? -0.5
             : t.vertical == 1                    ? kDescent
             : t.vertical == 2                    ? -0.5
             : t.vertical == 3                    ? -1.0
                                                  : 0;
    }
    const double shear = std::tan(std::clamp(t.oblique, -1.4, 1.4));
    const double c = std::cos(angle), sn = std::sin(angle);
    auto place = [&](Vec2 p) {
        double x = (p.x + x0), y = (p.y + y0);
        if (t.backwards) { // mirrored about the anchor; between two points it still spans them
            x = twoPoints ? len - x : -x;
        }
        if (t.upsideDown) {
            y = -y;
        }
        x = x * xScale + y * yScale * shear;
        y *= yScale;
        return Vec2{anchor.x + x * c - y * sn, anchor.y + x * sn + y * c};
    };
    Batches(sink, place).line(s, 0, 0);
}

void layoutMText(const MText& t, GlyphSink& sink) {
    if (!sane(t.insertion) || !sane(t.direction) || !sane(t.height) || t.height <= 0 || !sane(t.referenceWidth) ||
        !sane(t.lineSpacing)) {
        return;
    }
    const std::u32string all = decodeText(t.text);
    // Paragraphs, then words wrapped to the reference width (a word longer than it stays whole).
    const std::size_t perLine =
        t.referenceWidth > 0
            ? std::max<std::size_t>(1, std::size_t(std::min(4096.0, t.referenceWidth / (t.height * kAdvance))))
            : 4096;
    std::vector<std::u32string> lines(1);
    std::u32string word;
    auto flushWord = [&] {
        auto& line = lines.back();
        if (!line.empty() && line.size() + 1 + word.size() > perLine) {
            lines.emplace_back();
        }
        if (!lines.back().empty()) {
            lines.back() += U' ';
        }
        lines.back() += word;
        word.clear();
    };
    for (char32_t ch : all) {
        if (ch == U'\n') {
            flushWord();
            lines.emplace_back();
        } else if (ch == U' ') {
            flushWord();
        } else {
            word += ch;
        }
    }
    flushWord();
    const double gap = kLineGap * (t.lineSpacing > 0 ? std::min(t.lineSpacing, 10.0) : 1);
    const int a = std::clamp<int>(t.attachment, 1, 9) - 1, col = a % 3, row = a / 3;
    const double blockHeight = (double(lines.size()) - 1) * gap + 1;
    const double top = row == 0 ? 0 : row == 1 ? blockHeight / 2 : blockHeight;
    double angle = std::atan2(t.direction.y, t.direction.x);
    if (!std::isfinite(angle)) {
        angle = 0;
    }
    const double c = std::cos(angle) * t.height, s = std::sin(angle) * t.height;
    const auto place = [&](Vec2 p) {
        return Vec2{t.insertion.x + p.x * c - p.y * s, t.insertion.y + p.x * s + p.y * c};
    };
    Batches out(sink, place);
    double left = 0, right = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double w = lineLength(lines[i]);
        const double dx = col == 0 ? 0 : col == 1 ? -w / 2 : -w;
        const double dy = top - 1 - double(i) * gap;
        out.line(lines[i], dx, dy);
        left = i == 0 ? dx : std::min(left, dx);
        right = i == 0 ? dx + w : std::max(right, dx + w);
    }
    if (t.frameGap >= 0 && sane(t.frameGap) && out.count() > 0) {
        // Around the lines' box, from the first line's top to the last one's descent.
        const double margin = std::min(t.frameGap / t.height, 100.0);
        const double x0 = left - margin, x1 = right + margin;
        const double y0 = top - blockHeight - kDescent - margin, y1 = top + margin;
        out.segment({x0, y0}, {x1, y0});
        out.segment({x1, y0}, {x1, y1});
        out.segment({x1, y1}, {x0, y1});
        out.segment({x0, y1}, {x0, y0});
    }
}

} // namespace dsc::dwg
