#include "measurement/readingprocessor.h"

#include "catalogue/catalogue.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace reading {

void ReadingProcessor::processByte(quint8 byte, const ReadingContext& ctx) {
    m_datain = byte;
    if (m_datain == kResetByte)
        reset();
    if (m_datain == kButtonByte) {
        // A second 255 while a press waits changes nothing: Timer2 runs from the first.
        if (!m_blnpoint) {
            m_blnpoint = true;
            m_sink.startTimer2(kPressWindowMs);
        }
        return;
    }
    if (m_blnpoint) {
        closePress(ctx);
        return;
    }
    // The reset code is a marker, not a reading: taken as value 100 it would raise the
    // maximum of a touch in hand, or start a touch of its own.
    if (m_datain == kResetByte)
        return;
    aReading(ctx);
}

void ReadingProcessor::processBytes(const QByteArray& bytes, const std::function<ReadingContext()>& context) {
    for (const char c : bytes)
        processByte(static_cast<quint8>(c), context());
}

void ReadingProcessor::Timer1_Timer() {
    m_sink.stopTimer1();
    // Only a touch still in hand has a result to take; a touch that ended early was dropped.
    if (m_blnrezult)
        m_blndata = true;
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

void ReadingProcessor::reset() {
    m_blnVega = false;
    m_sngVega = 1.0f;
    m_sink.resetToPoints();
}

void ReadingProcessor::closePress(const ReadingContext& ctx) {
    // State first: the window's handlers may show a modal box, during which bytes go on
    // arriving.
    m_blnpoint = false;
    m_sink.stopTimer2();
    if (ctx.timer2Running) {
        if (ctx.kti)
            m_sink.nextMeridian();
        else
            m_sink.previousPoint();
        return;
    }
    if (!ctx.testing || !ctx.oneTouch)
        return;
    if (!m_blnVega) {
        // datainmin 0: no reading since start, nothing to re-reference the scale to.
        if (m_datain >= kVegaMinByte && m_datain <= kVegaMaxByte && m_datainmin > 0) {
            m_blnVega = true;
            m_sngVega = static_cast<float>(static_cast<double>(kVegaReference) / m_datainmin);
            m_sink.startVega();
        }
    } else {
        m_blnVega = false;
        m_sngVega = 1.0f;
        m_sink.endVega();
    }
}

void ReadingProcessor::aReading(const ReadingContext& ctx) {
    m_datain = std::clamp(m_datain, kLowByte, kHighByte);
    const int v = m_datain - kLowByte;
    m_sink.showBar(barWidth(v));

    // When the probe leaves the skin right after the measuring time ran out, the result
    // belongs to the touch that just ended, not to the zero that ended it.
    const int touchMax = m_datainmax;
    const bool ended = v == 0;
    if (ended) {
        // A touch that ends before its time is up is dropped, so no result with a
        // maximum of 0 is ever taken from it.
        if (m_blnrezult && !m_blndata)
            m_sink.stopTimer1();
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
            m_sink.showLive(m_blnVega ? static_cast<int>(std::floor(m_datainmin * m_sngVega)) : m_datainmin);
            return;
        }
        if (!m_blnrezult && m_datain >= kTouchStartByte)
            startTouch(ctx);
        if (m_blndata) {
            m_blndata = false;
            if (max > 0)
                takeResult(ctx, max, max - m_datainmin);
        }
        return;
    }

    if (!m_blnrezult && m_datain >= kTouchStartByte)
        startTouch(ctx);
    if (!m_blndata)
        return;
    m_blndata = false;
    if (max > 0)
        oneOfThreeTouches(ctx, max, ended);
}

void ReadingProcessor::oneOfThreeTouches(const ReadingContext& ctx, int max, bool ended) {
    if (int3 < 0 || int3 > 2)
        int3 = 0;
    (int3 == 0 ? datainmax1 : int3 == 1 ? datainmax2 : datainmax3) = max;
    ++int3;
    if (int3 < 3) {
        m_sink.beep3();
        return;
    }
    m_datainmax = std::max({datainmax1, datainmax2, datainmax3});
    m_datainmin = std::min({datainmax1, datainmax2, datainmax3});
    int3 = 0;
    const int setMax = m_datainmax;
    if (ended)
        m_datainmax = 0; // the next touch tracks its own maximum
    takeResult(ctx, setMax, setMax - m_datainmin);
}

void ReadingProcessor::startTouch(const ReadingContext& ctx) {
    m_blnrezult = true;
    m_sink.startTimer1(session::Settings::validMs(ctx.measuringMs));
}

bool ReadingProcessor::hasRow(const ReadingContext& ctx) {
    if (ctx.branches)
        return ctx.listPosition >= 0 && ctx.listPosition < catalogue::kBranchCount;
    return ctx.listPosition >= 0 && ctx.listPosition < catalogue::kMeridianCount && ctx.number >= 0 &&
           ctx.number < catalogue::kRows && (ctx.intright == 0 || ctx.intright == catalogue::kRightOffset);
}

void ReadingProcessor::takeResult(const ReadingContext& ctx, int max, int drop) {
    if (!hasRow(ctx)) {
        m_sink.resultNotStored(max, drop);
        return;
    }
    m_sink.showResult(max, drop);
    const QString text = session::resultText(max, drop);
    if (ctx.branches)
        m_sink.storeResult(catalogue::kFirstBranchRow + ctx.listPosition, 0, text);
    else
        m_sink.storeResult(ctx.listPosition, ctx.intright + ctx.number, text);
    m_sink.beep3();
}

} // namespace reading
