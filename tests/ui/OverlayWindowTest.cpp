#include "ui/OverlayWindow.h"

#include "ui/OverlayGeometry.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QImage>
#include <cstdlib>

namespace orvale::ui {
namespace {

const QColor kPink(255, 45, 85);

bool near(QColor drawn, const QColor& expected) {
    return drawn.alpha() == 255 && std::abs(drawn.red() - expected.red()) <= 2 &&
           std::abs(drawn.green() - expected.green()) <= 2 &&
           std::abs(drawn.blue() - expected.blue()) <= 2;
}

OverlayWindow::Look flashLook(bool composited) {
    return {.kind = OverlayWindow::Look::Kind::flash,
            .number = 0,
            .accent = kPink,
            .cornerRadius = 16,
            .composited = composited};
}

TEST(OverlayWindowTest, TheFlashRimIsTheAccentOnlyWhereTheWindowIsUncovered) {
    for (bool composited : {false, true}) {
        SCOPED_TRACE(composited ? "composited" : "shaped");
        OverlayWindow flash({0, 0, 400, 300}, flashLook(composited));
        // Another window covers the right half.
        flash.setVisibleRects({{-0.5, -0.5, 201, 301}});
        const QImage drawn = flash.render();
        EXPECT_TRUE(near(drawn.pixelColor(100, 0), kPink));
        EXPECT_TRUE(near(drawn.pixelColor(0, 150), kPink));
        EXPECT_EQ(drawn.pixelColor(300, 0).alpha(), 0);
        EXPECT_EQ(drawn.pixelColor(399, 150).alpha(), 0);
        EXPECT_EQ(drawn.pixelColor(200, 150).alpha(), 0);
        if (composited) {
            // Translucent: the glow fades towards the middle.
            EXPECT_GT(drawn.pixelColor(100, 12).alpha(), 0);
            EXPECT_LT(drawn.pixelColor(100, 12).alpha(), 255);
        } else {
            // Shaped: the window keeps the rim's pixels and nothing else.
            const QRegion shape = flash.mask();
            EXPECT_TRUE(shape.contains(QPoint(100, 1)));
            EXPECT_FALSE(shape.contains(QPoint(300, 1)));
            EXPECT_FALSE(shape.contains(QPoint(100, 12)));
        }
    }
}

TEST(OverlayWindowTest, AMarkerOutlinesItsWindowWithTheNumberInAGreenBadge) {
    OverlayWindow marker({0, 0, 300, 200}, {.kind = OverlayWindow::Look::Kind::marker,
                                            .number = 7,
                                            .accent = {},
                                            .cornerRadius = 0,
                                            .composited = false});
    const QImage drawn = marker.render();
    const QColor green(52, 199, 89);
    EXPECT_TRUE(near(drawn.pixelColor(150, 4), green));  // the outline
    EXPECT_TRUE(near(drawn.pixelColor(14, 25), green));  // the badge, left of the number
    EXPECT_EQ(drawn.pixelColor(150, 100).alpha(), 0);
    // The number is drawn in white somewhere on the badge.
    bool white = false;
    for (int y = 11; y < 39 && !white; ++y) {
        for (int x = 11; x < 39 && !white; ++x) white = drawn.pixelColor(x, y).lightness() > 240;
    }
    EXPECT_TRUE(white);
}

TEST(OverlayGeometryTest, PlacesOverlaysInQtUnitsOnEveryScreen) {
    // A scaled laptop screen on the right of a primary screen that Qt has at
    // (1920, 0) — global (0, 0) — and an unscaled one on the left.
    const OverlayGeometry geometry({{{1920, 0, 1280, 800}, 2.0}, {{0, 0, 1920, 1080}, 1.0}});
    struct Case {
        const char* name;
        RectD frame;
        QRect qt;
    };
    const Case cases[] = {
        {"on the scaled primary", {100, 200, 600, 400}, {1970, 100, 300, 200}},
        {"on the unscaled screen", {-1820, 50, 400, 300}, {100, 50, 400, 300}},
        {"off every screen", {5000, 5000, 40, 40}, {1920 + 2500, 2500, 20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(geometry.toQt(c.frame), c.qt);
        EXPECT_EQ(geometry.fromQt(c.qt), c.frame);
    }
    EXPECT_EQ(geometry.pixelRatioAt({100, 200, 600, 400}), 2.0);
    EXPECT_EQ(geometry.pixelRatioAt({-1820, 50, 400, 300}), 1.0);
}

}  // namespace
}  // namespace orvale::ui
