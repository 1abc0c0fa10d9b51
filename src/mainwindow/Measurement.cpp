// The measurement state machine.
#include "mainwindow/Measurement.h"

#include "mainwindow/Geometry.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/Rounding.h"

#include <cmath>
#include <limits>

// Overflow to infinity and NaN must be the IEEE ones; every conversion to a whole number is
// checked.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace {

// Half the length of each arm of the small cross, twips.
constexpr float kSmallCrossArm = 100;

} // namespace

LineEnds MeasureLogic::Ends(int index) const {
    return {LineX1[index], LineY1[index], LineX2[index], LineY2[index]};
}

void MeasureLogic::SetEnds(int index, float X1, float Y1, float X2, float Y2) {
    LineX1[index] = X1;
    LineY1[index] = Y1;
    LineX2[index] = X2;
    LineY2[index] = Y2;
}

MeasureUpdate MeasureLogic::MouseMove(float X, float Y, float W, float H) {
    MeasureUpdate update;
    if (settings_.MeasureState == 2) {
        return update; // the lines stay where the end point was clicked
    }
    switch (settings_.CursorShape) {
    case 0:
        SetEnds(0, X, 0, X, H);
        SetEnds(1, 0, Y, W, Y);
        break;
    case 1:
        MoveFreeAngleCross(X, Y, W, H);
        break;
    case 2:
        SetEnds(0, X, Y - kSmallCrossArm, X, Y + kSmallCrossArm);
        SetEnds(1, X - kSmallCrossArm, Y, X + kSmallCrossArm, Y);
        if (settings_.MeasureState == 1) {
            SetEnds(2, StartX, StartY, X, Y);
        }
        break;
    default:
        break;
    }
    update.GuideLines = {Ends(0), Ends(1)};
    if (settings_.CursorShape == 2 && settings_.MeasureState == 1) {
        update.RubberBand = Ends(2);
    }
    return update;
}

void MeasureLogic::MoveFreeAngleCross(float X, float Y, float W, float H) {
    if (settings_.SlopeLocked == 0) {
        CentreHit = 0;
        if (W / 2 == X) {
            CentreHit = 1;
        }
        if (H / 2 == Y) {
            CentreHit = 2; // on both centre lines the horizontal one wins
        }
        // On a centre line the slope is not usable: the lines are drawn axis-parallel and the
        // slopes keep their previous values.
        if (CentreHit == 0) {
            TurnTowardsCentre(X, Y, W, H);
        }
    }
    // The lines stop 50 units inside the picture. Sizes are rounded into 32 bits rather than
    // 16: they agree wherever 16 bits hold them, and a larger picture keeps its cross.
    const std::optional<int32_t> NW = Round32(W - kGuideMargin);
    const std::optional<int32_t> NH = Round32(H - kGuideMargin);
    if (!NW || !NH) {
        return; // no usable picture size: the lines stay
    }
    for (int i = 0; i < 2; ++i) {
        const float A = GuideSlope[i];
        // Line i passes through the cursor; while locked it only slides parallel to itself.
        GuideIntercept[i] = Y - A * X;
        const float B = GuideIntercept[i];
        SetEnds(i, float(UpperX(A, B, *NW, *NH, X, Y, CentreHit, i)),
                float(UpperY(A, B, *NW, *NH, X, Y, CentreHit, i)),
                float(LowerX(A, B, *NW, *NH, X, Y, CentreHit, i)),
                float(LowerY(A, B, *NW, *NH, X, Y, CentreHit, i)));
    }
}

void MeasureLogic::TurnTowardsCentre(float X, float Y, float W, float H) {
    const std::optional<int32_t> width = Round32(W);
    const std::optional<int32_t> height = Round32(H);
    if (!width || !height) {
        return;
    }
    const float slope = Slope(*width, *height, X, Y);
    // Slope compares with the centre of the rounded size, CentreHit with the exact one: when
    // the size is not a whole number of units, the cursor can be level with or straight above
    // the rounded centre without being on a centre line, and the slope there is 0. Such a
    // slope has no perpendicular, so the previous slopes stay, as on the centre lines.
    if (slope == 0 || !std::isfinite(slope)) {
        return;
    }
    const float perpendicular = -1 / slope;
    if (perpendicular == 0 || !std::isfinite(perpendicular)) {
        return;
    }
    GuideSlope = {slope, perpendicular};
}

MeasureUpdate MeasureLogic::MouseDown(int Button, float X, float Y) {
    MeasureUpdate update;
    if (Button == RightButton) {
        return update; // the right button belongs to the pop-up menu
    }
    int16_t& state = settings_.MeasureState;
    switch (state) {
    case -1:
        settings_.SlopeLocked = 1;
        break;
    case 0:
        FreezeGuideLines(update);
        StartX = X;
        StartY = Y;
        if (settings_.CursorShape == 2) {
            // The band starts with no length at the start point, not where the last one ended.
            SetEnds(2, StartX, StartY, X, Y);
            update.RubberBand = Ends(2);
            update.RubberBandVisible = true;
        }
        break;
    case 1:
        EndX = X;
        EndY = Y;
        update.DoubleClickTimer = TimerChange::Start;
        break;
    case 2:
        update.FrozenLinesVisible = false;
        switch (settings_.CursorShape) {
        case 0:
            state = -1;
            break;
        case 1:
            state = -2;
            settings_.SlopeLocked = 0;
            break;
        case 2:
            update.RubberBandVisible = false;
            state = -1;
            break;
        default:
            break;
        }
        break;
    default:
        return update; // not a state of the measurement: left alone
    }
    state = int16_t(state + 1);
    update.Status = ShowStatus();
    return update;
}

void MeasureLogic::FreezeGuideLines(MeasureUpdate& update) {
    for (int i = 0; i < 2; ++i) {
        update.FrozenLines[i] = Ends(i); // the guide line as last drawn
        FrozenSlope[i] = GuideSlope[i];
        FrozenIntercept[i] = GuideIntercept[i];
    }
    update.FrozenLinesVisible = true;

    FrozenCentreHit = settings_.CursorShape == 1 ? CentreHit : int16_t{0};
    if (FrozenCentreHit == 1) { // line 0 vertical, line 1 horizontal
        FrozenCrossX = LineX1[0];
        FrozenCrossY = LineY1[1];
    } else if (FrozenCentreHit == 2) { // line 0 horizontal, line 1 vertical
        FrozenCrossX = LineX1[1];
        FrozenCrossY = LineY1[0];
    }
}

MeasureUpdate MeasureLogic::DblClick() {
    MeasureUpdate update;
    if (settings_.MeasureState < 2) {
        return update;
    }
    update.DoubleClickTimer = TimerChange::Stop;
    update.ArrowPointer = true;
    const std::optional<std::array<int16_t, 3>> result = Result();
    if (!result) {
        // Nothing wrapped or cut is shown or saved; the last result and its captions stay, and
        // the save commands stay off so that no older result is saved in its place.
        update.ResultTooLong = true;
        update.SaveGroupEnabled = false;
        return update;
    }
    LastDX = (*result)[0];
    LastDY = (*result)[1];
    LastDist = (*result)[2];
    update.Result = ResultCaptions{QStringLiteral("dX=") + QString::number(LastDX),
                                   QStringLiteral("dY=") + QString::number(LastDY),
                                   QStringLiteral("Dist.=") + QString::number(LastDist)};
    update.SaveGroupEnabled = true;
    update.FocusComment = true;
    return update;
}

std::optional<std::array<int16_t, 3>> MeasureLogic::Result() const {
    if (settings_.MagStep < 1) {
        return std::nullopt; // no display factor to divide by
    }
    // Screen twips to twips of the image at 100 %: a Single factor, applied before rounding.
    const float scale = 2.0f / float(settings_.MagStep);
    float alongX = 0;
    float alongY = 0;
    if (settings_.CursorShape == 1) {
        // dX is measured along frozen line 0, that is from line 1; dY across line 0.
        const std::array<float, 2> d = DistancesFromFrozenLines();
        alongX = d[1];
        alongY = d[0];
    } else {
        alongX = std::abs(EndX - StartX);
        alongY = std::abs(EndY - StartY);
    }
    const std::optional<int16_t> dX = Round16(alongX * scale);
    const std::optional<int16_t> dY = Round16(alongY * scale);
    if (!dX || !dY) {
        return std::nullopt;
    }
    // From the rounded dX and dY, in double precision.
    const std::optional<int16_t> dist = Round16(std::sqrt(double(*dX) * *dX + double(*dY) * *dY));
    if (!dist) {
        return std::nullopt;
    }
    return std::array<int16_t, 3>{*dX, *dY, *dist};
}

std::array<float, 2> MeasureLogic::DistancesFromFrozenLines() const {
    if (FrozenCentreHit == 1) {
        return {std::abs(EndX - FrozenCrossX), std::abs(EndY - FrozenCrossY)};
    }
    if (FrozenCentreHit == 2) {
        return {std::abs(EndY - FrozenCrossY), std::abs(EndX - FrozenCrossX)};
    }
    std::array<float, 2> d{};
    for (int i = 0; i < 2; ++i) {
        const double a = FrozenSlope[i];
        const double b = FrozenIntercept[i];
        // The foot of the perpendicular from the end point onto frozen line i. a² + 1 is at
        // least 1, so the quotient is always defined.
        const float xf = float((EndX + a * EndY - a * b) / (a * a + 1));
        const float yf = YfromX(xf, FrozenSlope[i], FrozenIntercept[i]);
        const double dx = std::abs(double(EndX) - xf);
        const double dy = std::abs(double(EndY) - yf);
        d[i] = float(std::sqrt(dx * dx + dy * dy));
    }
    return d;
}

void MeasureLogic::Reset(MeasureUpdate& update) {
    update.FrozenLinesVisible = false;
    update.RubberBandVisible = false;
    // A time-out still pending would cancel whatever is clicked after this reset.
    update.DoubleClickTimer = TimerChange::Stop;
    if (settings_.CursorShape == 1) {
        settings_.MeasureState = -1;
        settings_.SlopeLocked = 0;
    } else {
        settings_.MeasureState = 0;
    }
}

MeasureUpdate MeasureLogic::Redraw() {
    MeasureUpdate update;
    Reset(update);
    return update;
}

MeasureUpdate MeasureLogic::RedrawImage() {
    MeasureUpdate update;
    Reset(update);
    update.Status = ShowStatus();
    return update;
}

MeasureUpdate MeasureLogic::DoubleClickTimeout() {
    MeasureUpdate update;
    Reset(update);
    update.Status = ShowStatus();
    return update;
}

std::optional<StatusPrompt> MeasureLogic::ShowStatus() const {
    switch (settings_.MeasureState) {
    case -1:
        return StatusPrompt{Prompts::LockSlope, true};
    case 0:
        return StatusPrompt{Prompts::StartPoint, true};
    case 1:
        return StatusPrompt{Prompts::EndPoint, false};
    case 2:
        return StatusPrompt{Prompts::Clear, false};
    default:
        return std::nullopt;
    }
}

QString MeasureLogic::TooLongMessage() {
    return QStringLiteral("The distance is too long to record (more than 32767). The "
                          "magnification does not change this limit: measure the distance in "
                          "shorter parts.");
}
