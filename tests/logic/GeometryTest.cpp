// Line geometry of the free-angle cross and the checked rounding it relies on.
#include "mainwindow/Geometry.h"
#include "mainwindow/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kLongMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kLongMin = std::numeric_limits<int32_t>::min();

TEST(GeometryRounding, Round16IsHalfToEvenAndRefusesWhatDoesNotFit) {
    const struct {
        double value;
        std::optional<int16_t> result;
    } cases[] = {
        {2.5, 2},           {3.5, 4},         {-2.5, -2},       {22.5, 22},    {37.5, 38},
        {0.49999, 0},       {32767.4, 32767}, {32766.5, 32766}, {32767.5, {}}, {32768.0, {}},
        {-32768.5, -32768}, {-32768.6, {}},   {-32769.0, {}},   {1e300, {}},   {kInf, {}},
        {-kInf, {}},        {kNaN, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Round16(c.value), c.result);
    }
}

TEST(GeometryRounding, Round32IsHalfToEvenAndRefusesWhatDoesNotFit) {
    const struct {
        double value;
        std::optional<int32_t> result;
    } cases[] = {
        {2.5, 2},
        {-3.5, -4},
        {40000.0, 40000},
        {2147483646.5, 2147483646},
        {2147483647.4, kLongMax},
        {2147483647.5, {}},
        {-2147483648.5, kLongMin},
        {-2147483649.0, {}},
        {kInf, {}},
        {kNaN, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Round32(c.value), c.result);
    }
}

TEST(GeometryRounding, Round32ClampedKeepsTheSideOfTheRange) {
    const struct {
        double value;
        int32_t result;
    } cases[] = {
        {2.5, 2},          {-0.5, 0},        {2147483647.5, kLongMax},
        {1e12, kLongMax},  {kInf, kLongMax}, {-1e12, kLongMin},
        {-kInf, kLongMin}, {kNaN, 0},        {-2147483648.5, kLongMin},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Round32Clamped(c.value), c.result);
    }
}

TEST(GeometrySlope, PointsAtThePictureCentreAndIsZeroOnItsAxes) {
    const struct {
        int16_t NW, NH;
        float X, Y;
        float slope;
    } cases[] = {
        {200, 100, 100, 20, 0.0f},  // straight above the centre
        {200, 100, 0, 50, 0.0f},    // level with it
        {200, 100, 0, 0, 0.5f},     // top left
        {200, 100, 200, 0, -0.5f},  // top right
        {200, 100, 100, 50, 0.0f},  // on the centre
        {201, 100, 100, 0, 100.0f}, // half a unit beside an odd centre
        {200, 100, 150, 100, 1.0f}, // bottom, right of the centre
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.NW << "," << c.NH << "," << c.X << "," << c.Y);
        EXPECT_EQ(Slope(c.NW, c.NH, c.X, c.Y), c.slope);
    }
}

TEST(GeometrySlope, PicturesBeyondSixteenBitsPointAtTheirCentre) {
    EXPECT_EQ(Slope(int32_t{60000}, int32_t{40000}, 10000, 10000), 0.5f);
    EXPECT_EQ(Slope(int32_t{60000}, int32_t{40000}, 30000, 0), 0.0f);
}

TEST(GeometryIntercept, IsWhereTheLineToTheFarCornerMeetsTheLeftEdge) {
    const struct {
        int16_t NW, NH;
        float X, Y;
        float intercept;
    } cases[] = {
        {100, 50, 0, 0, 0.0f},
        {100, 50, 50, 100, 150.0f},
        {100, 50, 0, 30, 30.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.NW << "," << c.NH << "," << c.X << "," << c.Y);
        EXPECT_EQ(Intercept(c.NW, c.NH, c.X, c.Y), c.intercept);
    }
    // Through (NW, y) the line is vertical and has no intercept.
    EXPECT_TRUE(std::isnan(Intercept(100, 50, 100, 20)));
}

TEST(GeometryLinePoints, ConvertBetweenXAndYOnALine) {
    EXPECT_EQ(XfromY(150, 2, 50), 50);
    EXPECT_EQ(XfromY(55, 2, 50), 2); // 2.5 rounds to the even 2
    EXPECT_EQ(XfromY(57, 2, 50), 4); // 3.5 to the even 4
    EXPECT_EQ(XfromY(-50, -0.5f, 0), 100);
    EXPECT_EQ(YfromX(10, 0.5, 3), 8.0);
    EXPECT_EQ(YfromX(-4.0f, -1.5f, 2), 8.0f);
}

TEST(GeometryLinePoints, ComputeInDoubleOnlyWhenALongTakesPart) {
    // (51 - 0.3) / 0.2 is 253.4999... exactly but 253.5 in float arithmetic.
    EXPECT_EQ(XfromY(int16_t{51}, 0.2f, 0.3f), 254);
    EXPECT_EQ(XfromY(51.0f, 0.2f, 0.3f), 254);
    EXPECT_EQ(XfromY(int32_t{51}, 0.2f, 0.3f), 253);
    EXPECT_EQ(XfromY(51.0, 0.2f, 0.3f), 253);
    // 2^24 + 1 has no float.
    EXPECT_EQ(YfromX(int32_t{16777217}, 1, 0), 16777217.0);
    EXPECT_EQ(YfromX(int32_t{16777217}, 1, 0.5f), 16777217.5);
    EXPECT_EQ(YfromX(16777217.0, 1, 0), 16777217.0);
}

TEST(GeometryLinePoints, XfromYIsDefinedForEveryLine) {
    const struct {
        double Y;
        float A, B;
        int32_t x;
    } cases[] = {
        {550, 0.0f, 300, 0},         // horizontal: never at another height
        {300, 0.0f, 300, 0},         // horizontal: at every x of it
        {550, -0.0f, 300, 0},        //
        {550, 1e-9f, 0, kLongMax},   // far beyond the right
        {-550, 1e-9f, 0, kLongMin},  // far beyond the left
        {550, -1e-30f, 0, kLongMin}, //
        {550, std::numeric_limits<float>::infinity(), 0, 0},
        {550, std::numeric_limits<float>::quiet_NaN(), 0, 0},
        {kNaN, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Y << "," << c.A << "," << c.B);
        EXPECT_EQ(XfromY(c.Y, c.A, c.B), c.x);
        EXPECT_EQ(XfromY(float(c.Y), c.A, c.B), c.x);
    }
}

struct Segment {
    int32_t upperX, upperY, lowerX, lowerY;
    bool operator==(const Segment&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
    return out << "upper (" << s.upperX << ", " << s.upperY << ") lower (" << s.lowerX << ", "
               << s.lowerY << ")";
}

template <typename Size>
Segment SegmentOf(float A, float B, Size NW, Size NH, float X, float Y, int16_t CentreHit,
                  int line) {
    return {
        UpperX(A, B, NW, NH, X, Y, CentreHit, line), UpperY(A, B, NW, NH, X, Y, CentreHit, line),
        LowerX(A, B, NW, NH, X, Y, CentreHit, line), LowerY(A, B, NW, NH, X, Y, CentreHit, line)};
}

TEST(GeometryEndPoints, ClipASlantedLineToTheBand) {
    const struct {
        const char* what;
        float A, B;
        Segment ends;
    } cases[] = {
        {"falling to the right", 1, 0, {550, 550, 50, 50}},
        {"rising to the right", -1, 600, {50, 550, 550, 50}},
        {"leaving through the sides", 0.25f, 200, {950, 438, 50, 212}}, // 437.5, 212.5 to even
        {"steep through (500, 300)", 1000, -499700, {500, 550, 500, 50}},
        {"near-vertical through (500, 300)", 1e30f, 300 - 1e30f * 500, {500, 550, 500, 50}},
        {"near-horizontal", 1e-9f, 300, {950, 300, 50, 300}},
        {"horizontal: from the left edge", 0, 300, {0, 300, 950, 300}},
        {"below the band: not clamped", 0.01f, 700, {-15000, 550, 50, 700}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SegmentOf<int16_t>(c.A, c.B, 950, 550, 0, 0, 0, 0), c.ends);
        // The line index plays no part for a slanted line.
        EXPECT_EQ(SegmentOf<int16_t>(c.A, c.B, 950, 550, 0, 0, 0, 1), c.ends);
        // The 32-bit sizes give the same as the Integer ones.
        EXPECT_EQ(SegmentOf<int32_t>(c.A, c.B, 950, 550, 0, 0, 0, 0), c.ends);
    }
}

TEST(GeometryEndPoints, NeverPassTheTopOrBottomBorderWhateverTheSlope) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float slopes[] = {0,      -0.0f, 1e-38f, -1e-38f, 1e-45f, 1e-9f, -1e-9f, 3,
                            -1e30f, 1e38f, inf,    -inf,    nan,    1e-3f, -7.5f};
    const float intercepts[] = {-3e38f, -1e9f, -100, 0, 300, 1e9f, 3e38f, inf, -inf, nan};
    for (const float A : slopes) {
        for (const float B : intercepts) {
            SCOPED_TRACE(testing::Message() << "A=" << A << " B=" << B);
            const Segment s = SegmentOf<int16_t>(A, B, 950, 550, 0, 0, 0, 0);
            EXPECT_LE(s.upperY, 550);
            EXPECT_GE(s.lowerY, 50);
        }
    }
}

TEST(GeometryEndPoints, AxisParallelOnTheCentreLines) {
    const Segment vertical{500, 550, 500, 0};
    const Segment horizontal{950, 200, 0, 200};
    const struct {
        int16_t CentreHit;
        int line;
        Segment ends;
    } cases[] = {
        {1, 0, vertical},
        {1, 1, horizontal},
        {2, 0, horizontal},
        {2, 1, vertical},
        // Unknown values give 0 throughout.
        {3, 0, {0, 0, 0, 0}},
        {-1, 1, {0, 0, 0, 0}},
        {1, 2, {0, 0, 0, 0}},
        {2, -1, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "CentreHit " << c.CentreHit << " line " << c.line);
        // The slope is not used: it is whatever was left from elsewhere.
        EXPECT_EQ(SegmentOf<int16_t>(0.75f, 10, 950, 550, 500, 200, c.CentreHit, c.line), c.ends);
        EXPECT_EQ(SegmentOf<int32_t>(0.75f, 10, 950, 550, 500, 200, c.CentreHit, c.line), c.ends);
    }
    // The cursor position is rounded half to even, and beyond the 32-bit range clamped.
    EXPECT_EQ(SegmentOf<int16_t>(0, 0, 950, 550, 500.5f, 200.5f, 1, 0),
              (Segment{500, 550, 500, 0}));
    EXPECT_EQ(SegmentOf<int16_t>(0, 0, 950, 550, 501.5f, 200.5f, 2, 0),
              (Segment{950, 200, 0, 200}));
    EXPECT_EQ(SegmentOf<int16_t>(0, 0, 950, 550, 1e20f, 0, 1, 0),
              (Segment{kLongMax, 550, kLongMax, 0}));
}

TEST(GeometryEndPoints, PicturesBeyondSixteenBitsKeepTheirLines) {
    // 60000 twips square: the cross through (10000, 10000) pivots about (30000, 30000).
    const int32_t NW = 59950;
    const int32_t NH = 59950;
    EXPECT_EQ(SegmentOf<int32_t>(1, 0, NW, NH, 10000, 10000, 0, 0),
              (Segment{59950, 59950, 50, 50}));
    EXPECT_EQ(SegmentOf<int32_t>(-1, 20000, NW, NH, 10000, 10000, 0, 1),
              (Segment{50, 19950, 19950, 50}));
    EXPECT_EQ(SegmentOf<int32_t>(0, 0, NW, NH, 40000, 45000, 1, 0),
              (Segment{40000, 59950, 40000, 0}));
}

} // namespace
