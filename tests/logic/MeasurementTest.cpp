// The measurement state machine: states, prompts, guide lines, frozen lines and results in
// the three cursor shapes.
#include "mainwindow/Measurement.h"
#include "mainwindow/Prompts.h"
#include "settings/SettingsModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable failures: gtest finds these through the types' (global) namespace.
static std::ostream& operator<<(std::ostream& out, const LineEnds& l) {
    return out << "(" << l.X1 << ", " << l.Y1 << ") - (" << l.X2 << ", " << l.Y2 << ")";
}

static std::ostream& operator<<(std::ostream& out, const StatusPrompt& p) {
    return out << p.Caption.toStdString() << (p.TransparentCursor ? " (transparent)" : "");
}

static std::ostream& operator<<(std::ostream& out, const ResultCaptions& r) {
    return out << r.dX.toStdString() << " " << r.dY.toStdString() << " " << r.Dist.toStdString();
}

namespace {

constexpr int kLeft = MeasureLogic::LeftButton;
constexpr int kRight = MeasureLogic::RightButton;
constexpr int kMiddle = MeasureLogic::MiddleButton;

bool ChangesNothing(const MeasureUpdate& u) {
    return !u.GuideLines[0] && !u.GuideLines[1] && !u.RubberBand && !u.FrozenLines[0] &&
           !u.FrozenLines[1] && !u.FrozenLinesVisible && !u.RubberBandVisible &&
           u.DoubleClickTimer == TimerChange::None && !u.ArrowPointer && !u.Result &&
           !u.ResultTooLong && !u.SaveGroupEnabled && !u.FocusComment && !u.Status;
}

bool AllFinite(const MeasureLogic& m) {
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(m.LineX1[i]) || !std::isfinite(m.LineY1[i]) ||
            !std::isfinite(m.LineX2[i]) || !std::isfinite(m.LineY2[i])) {
            return false;
        }
    }
    return std::isfinite(m.GuideSlope[0]) && std::isfinite(m.GuideSlope[1]);
}

struct Point {
    float x, y;
};

// A main window's measurement on a 4000 × 4000 twip picture, set up as the options dialog
// leaves it: state -1 for the free-angle cross, else 0.
class MeasureFixture : public testing::Test {
protected:
    static constexpr float W = 4000;
    static constexpr float H = 4000;

    void Use(int16_t shape, int16_t magStep = 2) {
        settings = SettingsModule{};
        settings.CursorShape = shape;
        settings.MagStep = magStep;
        settings.MeasureState = shape == 1 ? -1 : 0;
        logic.emplace(settings);
    }
    int16_t State() const { return settings.MeasureState; }

    MeasureUpdate Move(Point p, float w = W, float h = H) {
        return logic->MouseMove(p.x, p.y, w, h);
    }
    // A left click as the mouse delivers it: a move to the place, then the press.
    MeasureUpdate Click(Point p, int button = kLeft) {
        Move(p);
        return logic->MouseDown(button, p.x, p.y);
    }
    // From the start prompt to a completed measurement.
    MeasureUpdate Measure(Point start, Point end) {
        Click(start);
        Click(end);
        return logic->DblClick();
    }

    SettingsModule settings;
    std::optional<MeasureLogic> logic{std::in_place, settings};
};

class MeasureResult : public MeasureFixture {};
class MeasureStates : public MeasureFixture {};
class MeasureLines : public MeasureFixture {};
class MeasureFreeAngle : public MeasureFixture {};

TEST_F(MeasureResult, AxisParallelShapesScaleOffsetsByTheMagnification) {
    const struct {
        int16_t shape, magStep;
        Point start, end;
        int16_t dX, dY, dist;
    } cases[] = {
        {0, 2, {150, 300}, {1650, 2300}, 1500, 2000, 2500},
        {0, 4, {150, 300}, {1650, 2300}, 750, 1000, 1250},
        {0, 1, {150, 300}, {1650, 2300}, 3000, 4000, 5000},
        {0, 3, {150, 300}, {1650, 2300}, 1000, 1333, 1666},
        {2, 2, {150, 300}, {1650, 2300}, 1500, 2000, 2500},
        {2, 4, {1650, 2300}, {150, 300}, 750, 1000, 1250}, // end before start
        {0, 4, {0, 0}, {45, 0}, 22, 0, 22},                // 22.5 to the even 22
        {0, 4, {0, 0}, {75, 0}, 38, 0, 38},                // 37.5 to the even 38
        {2, 4, {100, 100}, {145, 145}, 22, 22, 31},        // distance from the rounded values
        {0, 2, {700, 800}, {700, 800}, 0, 0, 0},
        {0, 1, {0, 0}, {16383.5f, 0}, 32767, 0, 32767}, // the largest that fits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape << " MagStep " << c.magStep
                                        << " to (" << c.end.x << ", " << c.end.y << ")");
        Use(c.shape, c.magStep);
        const MeasureUpdate u = Measure(c.start, c.end);
        EXPECT_EQ(logic->LastDX, c.dX);
        EXPECT_EQ(logic->LastDY, c.dY);
        EXPECT_EQ(logic->LastDist, c.dist);
        ASSERT_TRUE(u.Result);
        EXPECT_EQ(u.Result->dX.toStdString(), "dX=" + std::to_string(c.dX));
        EXPECT_EQ(u.Result->dY.toStdString(), "dY=" + std::to_string(c.dY));
        EXPECT_EQ(u.Result->Dist.toStdString(), "Dist.=" + std::to_string(c.dist));
    }
}

TEST_F(MeasureResult, CompletingShowsTheCaptionsAndOffersTheSave) {
    Use(0);
    const MeasureUpdate u = Measure({150, 300}, {1650, 2300});
    ASSERT_TRUE(u.Result);
    EXPECT_EQ(*u.Result, (ResultCaptions{"dX=1500", "dY=2000", "Dist.=2500"}));
    EXPECT_EQ(u.DoubleClickTimer, TimerChange::Stop);
    EXPECT_TRUE(u.ArrowPointer);
    EXPECT_EQ(u.SaveGroupEnabled, true);
    EXPECT_TRUE(u.FocusComment);
    EXPECT_FALSE(u.ResultTooLong);
    EXPECT_FALSE(u.Status); // the caption keeps asking for the clearing click
    EXPECT_FALSE(u.FrozenLinesVisible);
    EXPECT_EQ(State(), 2);
}

TEST_F(MeasureResult, TooLongIsReportedAndNothingOfItIsKept) {
    const struct {
        const char* what;
        int16_t magStep;
        Point end;
    } cases[] = {
        {"dX of 32768", 1, {16384, 0}},
        {"dY of 40000", 1, {0, 20000}},
        {"distance of 33941 from 24000 and 24000", 1, {12000, 12000}},
        {"the same length at twice the magnification", 4, {65536, 0}},
        {"no magnification to divide by", 0, {100, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Use(0, c.magStep == 0 ? 2 : c.magStep);
        Measure({150, 300}, {1650, 2300});
        const int16_t previous[] = {logic->LastDX, logic->LastDY, logic->LastDist};
        Click({0, 0}); // clears the last result's overlay
        settings.MagStep = c.magStep;

        const MeasureUpdate u = Measure({0, 0}, c.end);
        EXPECT_TRUE(u.ResultTooLong);
        EXPECT_FALSE(u.Result);
        EXPECT_EQ(u.SaveGroupEnabled, false);
        EXPECT_FALSE(u.FocusComment);
        EXPECT_EQ(u.DoubleClickTimer, TimerChange::Stop);
        EXPECT_TRUE(u.ArrowPointer);
        EXPECT_EQ(logic->LastDX, previous[0]);
        EXPECT_EQ(logic->LastDY, previous[1]);
        EXPECT_EQ(logic->LastDist, previous[2]);
        EXPECT_EQ(State(), 2);
        // The next click clears as after any result.
        Click({0, 0});
        EXPECT_EQ(State(), 0);
    }
    EXPECT_FALSE(MeasureLogic::TooLongMessage().isEmpty());
}

TEST_F(MeasureResult, DoubleClickBeforeTheEndPointDoesNothing) {
    for (const int16_t shape : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "shape " << shape);
        Use(shape);
        logic->LastDX = 7;
        const int16_t first = State();
        for (int16_t state = first; state < 2; ++state) {
            ASSERT_EQ(State(), state);
            EXPECT_TRUE(ChangesNothing(logic->DblClick()));
            EXPECT_EQ(State(), state);
            Click({float(100 * (state + 2)), 500});
        }
        EXPECT_EQ(logic->LastDX, 7);
    }
}

TEST_F(MeasureStates, ClicksAndDoubleClicksWalkThroughTheStates) {
    enum Event { kClick, kDouble };
    struct Step {
        Event event;
        int16_t state, locked;
        const QString* caption; // nullptr: the caption is not set
        bool transparent;
    };
    const struct {
        int16_t shape;
        std::vector<Step> steps;
    } cases[] = {
        {0,
         {{kClick, 1, 0, &Prompts::EndPoint, false},
          {kClick, 2, 0, &Prompts::Clear, false},
          {kDouble, 2, 0, nullptr, false},
          {kClick, 0, 0, &Prompts::StartPoint, true},
          {kClick, 1, 0, &Prompts::EndPoint, false}}},
        {2,
         {{kClick, 1, 0, &Prompts::EndPoint, false},
          {kClick, 2, 0, &Prompts::Clear, false},
          {kDouble, 2, 0, nullptr, false},
          {kClick, 0, 0, &Prompts::StartPoint, true}}},
        {1,
         {{kClick, 0, 1, &Prompts::StartPoint, true},
          {kClick, 1, 1, &Prompts::EndPoint, false},
          {kClick, 2, 1, &Prompts::Clear, false},
          {kDouble, 2, 1, nullptr, false},
          {kClick, -1, 0, &Prompts::LockSlope, true},
          {kClick, 0, 1, &Prompts::StartPoint, true}}},
    };
    for (const auto& c : cases) {
        Use(c.shape);
        int n = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(testing::Message() << "shape " << c.shape << " step " << n++);
            const MeasureUpdate u =
                step.event == kClick ? Click({float(300 + 200 * n), 700}) : logic->DblClick();
            EXPECT_EQ(State(), step.state);
            EXPECT_EQ(settings.SlopeLocked, step.locked);
            if (step.caption == nullptr) {
                EXPECT_FALSE(u.Status);
            } else {
                ASSERT_TRUE(u.Status);
                EXPECT_EQ(*u.Status, (StatusPrompt{*step.caption, step.transparent}));
            }
        }
    }
}

TEST_F(MeasureStates, RightButtonChangesNothingMiddleButtonCounts) {
    for (const int16_t shape : {0, 1, 2}) {
        Use(shape);
        for (int clicks = 0; clicks < 4; ++clicks) {
            SCOPED_TRACE(testing::Message() << "shape " << shape << " state " << State());
            const int16_t state = State();
            const int16_t locked = settings.SlopeLocked;
            const float startX = logic->StartX;
            const float endX = logic->EndX;
            Move({1234, 567});
            EXPECT_TRUE(ChangesNothing(logic->MouseDown(kRight, 1234, 567)));
            EXPECT_EQ(State(), state);
            EXPECT_EQ(settings.SlopeLocked, locked);
            EXPECT_EQ(logic->StartX, startX);
            EXPECT_EQ(logic->EndX, endX);

            const MeasureUpdate middle = logic->MouseDown(kMiddle, 1234, 567);
            EXPECT_NE(State(), state);
            EXPECT_TRUE(middle.Status);
        }
    }
}

TEST_F(MeasureStates, StartAndEndClicksKeepTheirPoints) {
    Use(0);
    Move({150, 300});
    const MeasureUpdate start = logic->MouseDown(kLeft, 160, 310);
    EXPECT_EQ(logic->StartX, 160);
    EXPECT_EQ(logic->StartY, 310);
    EXPECT_EQ(start.DoubleClickTimer, TimerChange::None);

    Move({1650, 2300});
    const MeasureUpdate end = logic->MouseDown(kLeft, 1650, 2300);
    EXPECT_EQ(logic->EndX, 1650);
    EXPECT_EQ(logic->EndY, 2300);
    EXPECT_EQ(end.DoubleClickTimer, TimerChange::Start);
}

TEST_F(MeasureStates, TimeOutCancelsTheMeasurementAndAClickStartsAnew) {
    const struct {
        int16_t shape;
        int16_t state;
        const QString* caption;
    } cases[] = {
        {0, 0, &Prompts::StartPoint}, {1, -1, &Prompts::LockSlope}, {2, 0, &Prompts::StartPoint}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape);
        Use(c.shape);
        if (c.shape == 1) {
            Click({2400, 2300}); // locks the slope
        }
        Click({150, 300});
        Click({1650, 2300}); // a single click at the end point

        const MeasureUpdate u = logic->DoubleClickTimeout();
        EXPECT_EQ(u.DoubleClickTimer, TimerChange::Stop);
        EXPECT_EQ(u.FrozenLinesVisible, false);
        EXPECT_EQ(u.RubberBandVisible, false);
        ASSERT_TRUE(u.Status);
        EXPECT_EQ(*u.Status, (StatusPrompt{*c.caption, true}));
        EXPECT_EQ(State(), c.state);
        EXPECT_EQ(settings.SlopeLocked, 0);

        // The slow second click is a new start point (after the lock in the free-angle shape).
        if (c.shape == 1) {
            Click({2400, 2300});
        }
        Click({1650, 2300});
        EXPECT_EQ(State(), 1);
        EXPECT_EQ(logic->StartX, 1650);
    }
}

TEST_F(MeasureStates, ResetsLeaveTheGuideLinesAndTheLastResult) {
    for (const int16_t shape : {0, 1, 2}) {
        for (const bool withPrompt : {false, true}) {
            SCOPED_TRACE(testing::Message() << "shape " << shape << " prompt " << withPrompt);
            Use(shape);
            if (shape == 1) {
                Click({2400, 2300});
            }
            Measure({150, 300}, {1650, 2300});
            Click({500, 500});
            Click({600, 600}); // in the middle of the next measurement
            const float lineX = logic->LineX1[0];
            const int16_t lastDX = logic->LastDX;

            const MeasureUpdate u = withPrompt ? logic->RedrawImage() : logic->Redraw();
            EXPECT_EQ(u.FrozenLinesVisible, false);
            EXPECT_EQ(u.RubberBandVisible, false);
            EXPECT_FALSE(u.GuideLines[0]);
            EXPECT_FALSE(u.Result);
            EXPECT_EQ(u.Status.has_value(), withPrompt);
            EXPECT_EQ(State(), shape == 1 ? -1 : 0);
            EXPECT_EQ(settings.SlopeLocked, 0);
            EXPECT_EQ(logic->LineX1[0], lineX);
            EXPECT_EQ(logic->LastDX, lastDX);
        }
    }
}

TEST_F(MeasureStates, PromptForEachState) {
    const struct {
        int16_t state;
        std::optional<StatusPrompt> prompt;
    } cases[] = {
        {-1, StatusPrompt{Prompts::LockSlope, true}},
        {0, StatusPrompt{Prompts::StartPoint, true}},
        {1, StatusPrompt{Prompts::EndPoint, false}},
        {2, StatusPrompt{Prompts::Clear, false}},
        {-2, std::nullopt},
        {3, std::nullopt},
    };
    Use(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        settings.MeasureState = c.state;
        EXPECT_EQ(logic->ShowStatus(), c.prompt);
    }
}

TEST_F(MeasureLines, AxisParallelCrossesFollowTheCursor) {
    const LineEnds none{};
    const struct {
        int16_t shape;
        int clicks; // clicks before the move, from the start prompt
        LineEnds line0, line1;
        std::optional<LineEnds> band;
    } cases[] = {
        {0, 0, {300, 0, 300, H}, {0, 700, W, 700}, std::nullopt},
        {0, 1, {300, 0, 300, H}, {0, 700, W, 700}, std::nullopt},
        {2, 0, {300, 600, 300, 800}, {200, 700, 400, 700}, std::nullopt},
        {2, 1, {300, 600, 300, 800}, {200, 700, 400, 700}, LineEnds{1000, 1500, 300, 700}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape << " clicks " << c.clicks);
        Use(c.shape);
        for (int i = 0; i < c.clicks; ++i) {
            Click({1000, 1500});
        }
        const MeasureUpdate u = Move({300, 700});
        EXPECT_EQ(u.GuideLines[0], c.line0);
        EXPECT_EQ(u.GuideLines[1], c.line1);
        EXPECT_EQ(u.RubberBand, c.band);
        EXPECT_EQ(u.GuideLines[0].value_or(none), (LineEnds{logic->LineX1[0], logic->LineY1[0],
                                                            logic->LineX2[0], logic->LineY2[0]}));
    }
}

TEST_F(MeasureLines, NothingMovesWhileTheEndPointWaits) {
    for (const int16_t shape : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "shape " << shape);
        Use(shape);
        if (shape == 1) {
            Click({2400, 2300});
        }
        Click({150, 300});
        Click({1650, 2300});
        const MeasureLogic before = *logic;
        EXPECT_TRUE(ChangesNothing(Move({900, 900})));
        logic->DblClick();
        EXPECT_TRUE(ChangesNothing(Move({950, 950})));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(logic->LineX1[i], before.LineX1[i]);
            EXPECT_EQ(logic->LineY2[i], before.LineY2[i]);
        }
    }
}

TEST_F(MeasureLines, StartClickFreezesTheGuideLinesAsLastDrawn) {
    const struct {
        int16_t shape;
        LineEnds line0, line1;
    } cases[] = {
        {0, {150, 0, 150, H}, {0, 300, W, 300}},
        {2, {150, 200, 150, 400}, {50, 300, 250, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape);
        Use(c.shape);
        Move({150, 300});
        // The press may land elsewhere than the last move: the lines are those drawn.
        const MeasureUpdate u = logic->MouseDown(kLeft, 160, 310);
        EXPECT_EQ(u.FrozenLines[0], c.line0);
        EXPECT_EQ(u.FrozenLines[1], c.line1);
        EXPECT_EQ(u.FrozenLinesVisible, true);
        if (c.shape == 2) {
            // The band appears with no length at the start point.
            EXPECT_EQ(u.RubberBand, (LineEnds{160, 310, 160, 310}));
            EXPECT_EQ(u.RubberBandVisible, true);
        } else {
            EXPECT_FALSE(u.RubberBand);
            EXPECT_FALSE(u.RubberBandVisible);
        }
    }
}

TEST_F(MeasureLines, ClearingClickHidesTheOverlayAndKeepsTheResult) {
    for (const int16_t shape : {0, 2}) {
        SCOPED_TRACE(testing::Message() << "shape " << shape);
        Use(shape);
        Measure({150, 300}, {1650, 2300});
        const MeasureUpdate u = Click({10, 10});
        EXPECT_EQ(u.FrozenLinesVisible, false);
        if (shape == 2) {
            EXPECT_EQ(u.RubberBandVisible, false);
        }
        EXPECT_FALSE(u.Result);
        EXPECT_FALSE(u.SaveGroupEnabled);
        EXPECT_EQ(logic->LastDX, 1500);
        EXPECT_EQ(logic->LastDist, 2500);
    }
}

// The free-angle cross on the 4000 × 4000 picture pivots about (2000, 2000). At (2400, 2300)
// line 0 has the slope 300 / 400 = 0.75 and passes through (0, 500); line 1 has the slope
// -4/3 and passes through (0, 5500). The band is 50..3950 both ways.
TEST_F(MeasureFreeAngle, UnlockedCrossPivotsAboutThePictureCentre) {
    Use(1);
    const MeasureUpdate u = Move({2400, 2300});
    EXPECT_EQ(logic->CentreHit, 0);
    EXPECT_EQ(logic->GuideSlope[0], 0.75f);
    EXPECT_EQ(logic->GuideSlope[1], -1 / 0.75f);
    EXPECT_FLOAT_EQ(logic->GuideIntercept[0], 500);
    EXPECT_FLOAT_EQ(logic->GuideIntercept[1], 5500);
    // Line 0 leaves through the right border at y 3462.5 and the left one at 537.5 (both to
    // the even); line 1 through the bottom at x 1162.5 and the right border at y 233.3.
    EXPECT_EQ(u.GuideLines[0], (LineEnds{3950, 3462, 50, 538}));
    EXPECT_EQ(u.GuideLines[1], (LineEnds{1162, 3950, 3950, 233}));
}

TEST_F(MeasureFreeAngle, CentreLinesGiveAxisParallelLinesAndKeepTheSlopes) {
    const LineEnds verticalAt2000{2000, 3950, 2000, 0};
    const LineEnds horizontalAt1000{3950, 1000, 0, 1000};
    const struct {
        Point at;
        int16_t centreHit;
    } cases[] = {
        {{2000, 1000}, 1},
        {{1000, 2000}, 2},
        {{2000, 2000}, 2}, // on both: the second test wins
        {{2000.5f, 1000}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << ", " << c.at.y);
        Use(1);
        Move({2400, 2300});
        const MeasureUpdate u = Move(c.at);
        EXPECT_EQ(logic->CentreHit, c.centreHit);
        if (c.centreHit != 0) {
            EXPECT_EQ(logic->GuideSlope[0], 0.75f);
            EXPECT_EQ(logic->GuideSlope[1], -1 / 0.75f);
        } else {
            EXPECT_NE(logic->GuideSlope[0], 0.75f);
        }
    }
    Use(1);
    Move({2400, 2300});
    const MeasureUpdate u = Move({2000, 1000});
    EXPECT_EQ(u.GuideLines[0], verticalAt2000);
    EXPECT_EQ(u.GuideLines[1], horizontalAt1000);
}

TEST_F(MeasureFreeAngle, LockedCrossSlidesParallelToItself) {
    Use(1);
    Click({2400, 2300}); // locks the slope
    ASSERT_EQ(settings.SlopeLocked, 1);

    Move({1000, 1000});
    EXPECT_EQ(logic->GuideSlope[0], 0.75f);
    EXPECT_EQ(logic->GuideSlope[1], -1 / 0.75f);
    EXPECT_FLOAT_EQ(logic->GuideIntercept[0], 250);
    EXPECT_FLOAT_EQ(logic->GuideIntercept[1], 1000 + 1000 / 0.75f);

    // The centre lines mean nothing while locked: no axis-parallel lines there.
    const MeasureUpdate u = Move({2000, 1500});
    EXPECT_EQ(logic->CentreHit, 0);
    EXPECT_EQ(logic->GuideSlope[0], 0.75f);
    EXPECT_NE(u.GuideLines[0]->X1, u.GuideLines[0]->X2);

    // Locked on a centre line, the axis-parallel cross slides instead.
    Use(1);
    Move({2400, 2300});
    Click({2000, 1000});
    const MeasureUpdate moved = Move({1500, 1200});
    EXPECT_EQ(logic->CentreHit, 1);
    EXPECT_EQ(moved.GuideLines[0], (LineEnds{1500, 3950, 1500, 0}));
    EXPECT_EQ(moved.GuideLines[1], (LineEnds{3950, 1200, 0, 1200}));
}

TEST_F(MeasureFreeAngle, StartClickFreezesTheCrossAsLastDrawn) {
    Use(1);
    Click({2400, 2300});
    const MeasureUpdate drawn = Move({1000, 1000});
    const MeasureUpdate u = logic->MouseDown(kLeft, 1000, 1000);
    EXPECT_EQ(u.FrozenLines[0], drawn.GuideLines[0]);
    EXPECT_EQ(u.FrozenLines[1], drawn.GuideLines[1]);
    EXPECT_EQ(u.FrozenLinesVisible, true);
    EXPECT_FALSE(u.RubberBandVisible);
    EXPECT_EQ(logic->FrozenSlope, logic->GuideSlope);
    EXPECT_EQ(logic->FrozenIntercept, logic->GuideIntercept);

    Move({3000, 500});
    EXPECT_EQ(logic->FrozenSlope[0], 0.75f);
    EXPECT_FLOAT_EQ(logic->FrozenIntercept[0], 250);
    EXPECT_NE(logic->GuideIntercept[0], logic->FrozenIntercept[0]);
}

// Frozen through (1000, 1000) at the slope 3/4, the cross has line 0 along (4, 3) / 5 and
// line 1 along (-3, 4) / 5. The end point (1500, 2000) lies 1000 along line 0 and 500 across
// it: (1000, 1000) + 200·(4, 3) + 100·(-3, 4).
TEST_F(MeasureFreeAngle, MeasuresAlongAndAcrossTheFrozenLines) {
    const struct {
        int16_t magStep;
        int16_t dX, dY, dist;
    } cases[] = {{2, 1000, 500, 1118}, {4, 500, 250, 559}, {1, 2000, 1000, 2236}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "MagStep " << c.magStep);
        Use(1, c.magStep);
        Click({2400, 2300});
        Click({1000, 1000});
        Move({3000, 3500}); // the moving cross goes elsewhere; the frozen one stays
        Click({1500, 2000});
        const MeasureUpdate u = logic->DblClick();
        EXPECT_EQ(logic->LastDX, c.dX);
        EXPECT_EQ(logic->LastDY, c.dY);
        EXPECT_EQ(logic->LastDist, c.dist);
        EXPECT_TRUE(u.Result);
    }
}

TEST_F(MeasureFreeAngle, AxisParallelFrozenCrossIsMeasuredAsDrawn) {
    // The slopes left from (2400, 2300) are 3/4 and -4/3, but the cross drawn on a centre line
    // is axis-parallel: dX runs along line 0, which is vertical on the vertical centre line and
    // horizontal on the horizontal one.
    const struct {
        Point lockAt, start, end;
        int16_t dX, dY;
    } cases[] = {
        {{2000, 1000}, {1500, 1200}, {1800, 1600}, 400, 300},
        {{1000, 2000}, {1500, 1200}, {1800, 1600}, 300, 400},
        {{2000, 2000}, {700, 900}, {1100, 600}, 400, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "locked at " << c.lockAt.x << ", " << c.lockAt.y);
        Use(1);
        Move({2400, 2300});
        Click(c.lockAt);
        Measure(c.start, c.end);
        EXPECT_EQ(logic->LastDX, c.dX);
        EXPECT_EQ(logic->LastDY, c.dY);
        EXPECT_EQ(logic->LastDist, 500);
    }
}

TEST_F(MeasureFreeAngle, ZeroSlopeAwayFromTheCentreLinesKeepsTheSlopes) {
    // 4000.4 twips wide: Slope sees the centre at 2000, CentreHit at 2000.2, so straight above
    // x = 2000 the slope is 0 though the cursor is on no centre line.
    const float w = 4000.4f;
    Use(1);
    Move({2400, 2300}, w);
    const MeasureUpdate u = Move({2000, 1000}, w);
    EXPECT_EQ(logic->CentreHit, 0);
    EXPECT_EQ(logic->GuideSlope[0], 0.75f);
    EXPECT_EQ(logic->GuideSlope[1], -1 / 0.75f);
    EXPECT_FLOAT_EQ(logic->GuideIntercept[0], -500); // through the cursor
    EXPECT_TRUE(AllFinite(*logic));
    EXPECT_EQ(u.GuideLines[0], (LineEnds{3950, 2462, 733, 50}));

    // Before any usable slope the lines stay horizontal through the cursor and defined.
    Use(1);
    const MeasureUpdate first = Move({2000, 1000}, w);
    EXPECT_EQ(logic->GuideSlope[0], 0);
    EXPECT_TRUE(AllFinite(*logic));
    EXPECT_EQ(first.GuideLines[0], (LineEnds{0, 1000, 3950, 1000}));
}

TEST_F(MeasureFreeAngle, PicturesBeyondSixteenBitsKeepTheirCross) {
    Use(1);
    const MeasureUpdate u = Move({10000, 10000}, 60000, 60000);
    EXPECT_EQ(logic->GuideSlope[0], 1);
    EXPECT_EQ(logic->GuideSlope[1], -1);
    EXPECT_EQ(u.GuideLines[0], (LineEnds{59950, 59950, 50, 50}));
    EXPECT_EQ(u.GuideLines[1], (LineEnds{50, 19950, 19950, 50}));
}

TEST_F(MeasureFreeAngle, PositionsAndSizesBeyondReasonLeaveNoTrace) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        Point at;
        float w, h;
    } cases[] = {
        {{nan, 100}, W, H},         {{100, nan}, W, H},   {{1e30f, 5}, W, H},
        {{-1e30f, 1e30f}, W, H},    {{100, 100}, inf, H}, {{100, 100}, nan, H},
        {{100, 100}, 1e12f, 1e12f}, {{inf, inf}, W, H},   {{2000.001f, 3e6f}, W, H},
    };
    Use(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.at.x << ", " << c.at.y << " in " << c.w << " x " << c.h);
        Move(c.at, c.w, c.h);
        EXPECT_TRUE(AllFinite(*logic));
    }
    // A sound position afterwards draws the cross as ever.
    const MeasureUpdate u = Move({2400, 2300});
    EXPECT_EQ(u.GuideLines[0], (LineEnds{3950, 3462, 50, 538}));
    EXPECT_EQ(u.GuideLines[1], (LineEnds{1162, 3950, 3950, 233}));
}

} // namespace
