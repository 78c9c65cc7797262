#include "measurement/readingprocessor.h"

#include "catalogue/catalogue.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace reading {

Effects ReadingProcessor::processByte(quint8 byte, const ReadingContext& ctx) {
    Effects fx;
    m_datain = byte;
    if (m_datain == kResetByte)
        reset(fx);
    if (m_datain == kButtonByte) {
        // A second 255 while a press waits changes nothing: Timer2 runs from the first.
        if (!m_blnpoint) {
            m_blnpoint = true;
            fx.startTimer2Ms = kPressWindowMs;
        }
        return fx;
    }
    if (m_blnpoint) {
        closePress(ctx, fx);
        return fx;
    }
    // The reset code is a marker, not a reading: taken as value 100 it would raise the
    // maximum of a touch in hand, or start a touch of its own.
    if (m_datain != kResetByte)
        aReading(ctx, fx);
    return fx;
}

void ReadingProcessor::processBytes(const QByteArray& bytes, const std::function<ReadingContext()>& context,
                                    const std::function<void(const Effects&)>& apply) {
    for (const char c : bytes)
        apply(processByte(static_cast<quint8>(c), context()));
}

Effects ReadingProcessor::Timer1_Timer() {
    Effects fx;
    fx.stopTimer1 = true;
    // Only a touch still in hand has a result to take; a touch that ended early was dropped.
    if (m_blnrezult)
        m_blndata = true;
    return fx;
}

int ReadingProcessor::barWidth(int value) const {
    const float width = static_cast<float>(value * 50) * m_sngVega;
    return std::clamp(qRound(width), 0, kScaleTwips);
}

void ReadingProcessor::restart() {
    m_datain = 0;
    m_blndata = m_blnrezult = m_blnpoint = m_blnVega = false;
    m_sngVega = 1.0f;
    int3 = 0;
}

void ReadingProcessor::reset(Effects& fx) {
    m_blnVega = false;
    m_sngVega = 1.0f;
    fx.resetToPoints = true;
}

void ReadingProcessor::closePress(const ReadingContext& ctx, Effects& fx) {
    m_blnpoint = false;
    fx.stopTimer2 = true;
    if (ctx.timer2Running) {
        fx.move = ctx.kti ? Effects::Move::NextMeridian : Effects::Move::PreviousPoint;
        return;
    }
    if (!ctx.testing || !ctx.oneTouch)
        return;
    if (!m_blnVega) {
        // datainmin 0: no reading since start, nothing to re-reference the scale to.
        if (m_datain >= kVegaMinByte && m_datain <= kVegaMaxByte && m_datainmin > 0) {
            m_blnVega = true;
            m_sngVega = static_cast<float>(static_cast<double>(kVegaReference) / m_datainmin);
            fx.move = Effects::Move::StartVega;
        }
    } else {
        m_blnVega = false;
        m_sngVega = 1.0f;
        fx.move = Effects::Move::EndVega;
    }
}

void ReadingProcessor::aReading(const ReadingContext& ctx, Effects& fx) {
    m_datain = std::clamp(m_datain, kLowByte, kHighByte);
    const int v = m_datain - kLowByte;
    fx.barTwips = barWidth(v);

    // When the probe leaves the skin right after the measuring time ran out, the result
    // belongs to the touch that just ended, not to the zero that ended it.
    const int touchMax = m_datainmax;
    const bool ended = v == 0;
    if (ended) {
        // A touch that ends before its time is up is dropped, so no result with a
        // maximum of 0 is ever taken from it.
        if (m_blnrezult && !m_blndata)
            fx.stopTimer1 = true;
        m_blnrezult = false;
        m_datainmax = 0;
    } else {
        if (v >= m_datainmax)
            m_datainmax = v;
        m_datainmin = v;
    }
    const int max = ended ? touchMax : m_datainmax;

    if (ctx.oneTouch) {
        if (m_blnVega || ctx.testing) {
            if (ended)
                m_blndata = false;
            fx.live = m_blnVega ? static_cast<int>(std::floor(m_datainmin * m_sngVega)) : m_datainmin;
            return;
        }
        if (!m_blnrezult && m_datain >= kTouchStartByte)
            startTouch(ctx, fx);
        if (m_blndata) {
            m_blndata = false;
            if (max > 0)
                takeResult(ctx, max, max - m_datainmin, fx);
        }
        return;
    }

    if (!m_blnrezult && m_datain >= kTouchStartByte)
        startTouch(ctx, fx);
    if (!m_blndata)
        return;
    m_blndata = false;
    if (max > 0)
        oneOfThreeTouches(ctx, max, ended, fx);
}

void ReadingProcessor::oneOfThreeTouches(const ReadingContext& ctx, int max, bool ended, Effects& fx) {
    if (int3 < 0 || int3 > 2)
        int3 = 0;
    (int3 == 0 ? datainmax1 : int3 == 1 ? datainmax2 : datainmax3) = max;
    ++int3;
    if (int3 < 3) {
        fx.beep3 = true;
        return;
    }
    m_datainmax = std::max({datainmax1, datainmax2, datainmax3});
    m_datainmin = std::min({datainmax1, datainmax2, datainmax3});
    int3 = 0;
    const int setMax = m_datainmax;
    if (ended)
        m_datainmax = 0; // the next touch tracks its own maximum
    takeResult(ctx, setMax, setMax - m_datainmin, fx);
}

void ReadingProcessor::startTouch(const ReadingContext& ctx, Effects& fx) {
    m_blnrezult = true;
    fx.startTimer1Ms = session::Settings::validMs(ctx.measuringMs);
}

bool ReadingProcessor::hasRow(const ReadingContext& ctx) {
    if (ctx.branches)
        return ctx.listPosition >= 0 && ctx.listPosition < catalogue::kBranchCount;
    return ctx.listPosition >= 0 && ctx.listPosition < catalogue::kMeridianCount && ctx.number >= 0 &&
           ctx.number < catalogue::kRows && (ctx.intright == 0 || ctx.intright == catalogue::kRightOffset);
}

void ReadingProcessor::takeResult(const ReadingContext& ctx, int max, int drop, Effects& fx) {
    Effects::Result& r = fx.result.emplace();
    r.max = max;
    r.drop = drop;
    if (!hasRow(ctx))
        return;
    r.text = session::resultText(max, drop);
    r.row = ctx.branches ? catalogue::kFirstBranchRow + ctx.listPosition : ctx.listPosition;
    r.column = ctx.branches ? 0 : ctx.intright + ctx.number;
    fx.beep3 = true;
}

} // namespace reading
