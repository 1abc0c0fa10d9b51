// The measurement on the picture as a state machine without widgets: the main window hands it
// mouse positions in twips, clicks, double clicks and timer events, and applies what comes
// back to its guide lines, caption, pointer, double-click timer and menu captions.
#pragma once

#include "settings/SettingsModule.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// End points of a line shape, twips of the picture.
struct LineEnds {
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;
    bool operator==(const LineEnds&) const = default;
};

// The prompt for a measurement state: the window caption, and whether the pointer over the
// picture becomes the transparent cursor (otherwise the pointer stays as it is).
struct StatusPrompt {
    QString Caption;
    bool TransparentCursor = false;
    bool operator==(const StatusPrompt&) const = default;
};

// The captions of the three result items of the menu bar, `mnudX`, `mnudY` and `mnuDist`.
struct ResultCaptions {
    QString dX;
    QString dY;
    QString Dist;
    bool operator==(const ResultCaptions&) const = default;
};

enum class TimerChange { None, Start, Stop };

// What one event changed, for the window to apply in the order of the fields. An empty
// optional, false or TimerChange::None leaves that thing as it is.
struct MeasureUpdate {
    // New end points of the moving guide lines `Line1(0)`, `Line1(1)`.
    std::array<std::optional<LineEnds>, 2> GuideLines;
    // New end points of the rubber band `Line3`.
    std::optional<LineEnds> RubberBand;
    // End points of the frozen lines `Line2(0)`, `Line2(1)`, set before they are shown.
    std::array<std::optional<LineEnds>, 2> FrozenLines;
    // `Line2(0)` and `Line2(1)` shown (true) or hidden (false), both together.
    std::optional<bool> FrozenLinesVisible;
    // `Line3` shown or hidden.
    std::optional<bool> RubberBandVisible;
    // The double-click timer `timDC`.
    TimerChange DoubleClickTimer = TimerChange::None;
    // The pointer over the picture becomes the standard arrow.
    bool ArrowPointer = false;
    // A completed measurement: the new menu captions.
    std::optional<ResultCaptions> Result;
    // A completed measurement whose dX, dY or distance does not fit the record (more than
    // 32767): nothing is shown or kept, the window tells the user with TooLongMessage().
    bool ResultTooLong = false;
    // The five save commands, enabled or disabled together.
    std::optional<bool> SaveGroupEnabled;
    // The comment box `Text1` takes the keyboard focus.
    bool FocusComment = false;
    // The prompt of the new state, when the caption is to be set (see ShowStatus).
    std::optional<StatusPrompt> Status;
};

// The state machine of one measurement after another, in three cursor shapes: 0 the large
// axis-parallel cross, 1 the free-angle cross that pivots about the picture centre until a
// click locks its slope, 2 the small cross with a rubber band. It reads `CursorShape` and
// `MagStep` and keeps `MeasureState` and `SlopeLocked` in the shared settings.
class MeasureLogic {
public:
    // Mouse button codes as the picture box reports them.
    static constexpr int LeftButton = 1;
    static constexpr int RightButton = 2;
    static constexpr int MiddleButton = 4;

    explicit MeasureLogic(SettingsModule& settings)
        : settings_(settings) {}

    // The mouse moved to (X, Y) over a picture of W × H, all in twips. Nothing moves while an
    // end point waits for its double click (state 2).
    MeasureUpdate MouseMove(float X, float Y, float W, float H);

    // A button went down at (X, Y): the right button belongs to the pop-up menu and changes
    // nothing; every other one advances the measurement and gives the new prompt. A
    // `MeasureState` outside -1..2 (never set by the program) is left alone.
    MeasureUpdate MouseDown(int Button, float X, float Y);

    // The double click at the end point: the result, or ResultTooLong. Nothing happens before
    // the end point is clicked (state below 2). The state stays 2.
    MeasureUpdate DblClick();

    // The double-click time ran out after a single click at the end point: the measurement is
    // cancelled and the prompt shown.
    MeasureUpdate DoubleClickTimeout();

    // Resets the overlay and the state, without a prompt (before the options dialog opens).
    // Every reset also stops the double-click timer: a time-out left pending would cancel
    // whatever is clicked next. The guide lines, the last result and its captions stay.
    MeasureUpdate Redraw();

    // The "Redraw image" command (also after every pop-up menu and capture): the reset of
    // Redraw, then the prompt.
    MeasureUpdate RedrawImage();

    // The prompt for the current `MeasureState`; none for a value outside -1..2.
    std::optional<StatusPrompt> ShowStatus() const;

    // What the window shows when a result does not fit the record.
    static QString TooLongMessage();

    // The measurement variables of the main window, all starting at 0. The data file writer
    // reads the last result.
    float StartX = 0;
    float StartY = 0;
    float EndX = 0;
    float EndY = 0;
    std::array<float, 2> GuideSlope{};     // slope a of moving guide line i, y = a·x + b
    std::array<float, 2> GuideIntercept{}; // intercept b of moving guide line i
    std::array<float, 2> FrozenSlope{};    // GuideSlope at the start click
    std::array<float, 2> FrozenIntercept{};
    // End points of guide line 0, guide line 1 and (index 2) the rubber band, as last computed.
    std::array<float, 3> LineX1{};
    std::array<float, 3> LineY1{};
    std::array<float, 3> LineX2{};
    std::array<float, 3> LineY2{};
    // 1 when the cursor was on the vertical centre line, 2 on the horizontal one, else 0
    // (free-angle cross, computed while the slope is unlocked).
    int16_t CentreHit = 0;
    int16_t LastDX = 0;
    int16_t LastDY = 0;
    int16_t LastDist = 0;
    // A free-angle cross frozen while it was axis-parallel (CentreHit 1 or 2 at the start
    // click) is measured against the lines as drawn, which its slopes do not describe: the x
    // of its vertical line and the y of its horizontal one.
    int16_t FrozenCentreHit = 0;
    float FrozenCrossX = 0;
    float FrozenCrossY = 0;

private:
    void MoveFreeAngleCross(float X, float Y, float W, float H);
    void TurnTowardsCentre(float X, float Y, float W, float H);
    void FreezeGuideLines(MeasureUpdate& update);
    void Reset(MeasureUpdate& update);
    std::array<float, 2> DistancesFromFrozenLines() const;
    std::optional<std::array<int16_t, 3>> Result() const;
    LineEnds Ends(int index) const;
    void SetEnds(int index, float X1, float Y1, float X2, float Y2);

    SettingsModule& settings_;
};
