#include "measurement/readingprocessor.h"

#include "catalogue/catalogue.h"
#include "measurement/settings.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace reading {

void ReadingProcessor::processByte(quint8 byte, const ReadingContext& ctx) {
    datain = byte;
    if (datain == kResetByte)
        reset();
    if (datain == kButtonByte) {
        // A second 255 while a press waits changes nothing: Timer2 runs from the first.
        if (!blnpoint) {
            blnpoint = true;
            m_sink.startTimer2(kPressWindowMs);
        }
        return;
    }
    if (blnpoint) {
        closePress(ctx);
        return;
    }
    // The reset code is a marker, not a reading: taken as value 100 it would raise the
    // maximum of a touch in hand, or start a touch of its own.
    if (datain == kResetByte)
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
    if (blnrezult)
        blndata = true;
}

int ReadingProcessor::barWidth(int value) const {
    const float width = static_cast<float>(value * 50) * sngVega;
    return std::clamp(qRound(width), 0, kScaleTwips);
}

int ReadingProcessor::measuringMs(const QString& timeText, bool* ok) {
    double seconds = 0;
    const bool parsed = settings::parseSeconds(timeText, &seconds);
    const double ms = std::round(seconds * 1000.0);
    const bool valid = parsed && ms >= 1.0 && ms <= kMaxMeasuringMs;
    if (ok)
        *ok = valid;
    return valid ? static_cast<int>(ms) : kDefaultMeasuringMs;
}

int ReadingProcessor::nextMeridianPosition(int position) {
    return position >= 0 && position < catalogue::kMeridianCount - 1 ? position + 1 : 0;
}

int ReadingProcessor::previousPointRow(int index, int meridian) {
    if (meridian < 0 || meridian >= catalogue::kMeridianCount)
        return index;
    const int bottom = catalogue::bottomRow(meridian);
    return index <= 0 || index > bottom ? bottom : index - 1;
}

QString ReadingProcessor::resultText(int max, int drop) {
    return QString::number(max) + u' ' + QString::number(drop);
}

void ReadingProcessor::reset() {
    blnVega = false;
    sngVega = 1.0f;
    m_sink.resetToPoints();
}

void ReadingProcessor::closePress(const ReadingContext& ctx) {
    // State first: the window's handlers may show a modal box, during which bytes go on
    // arriving.
    blnpoint = false;
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
    if (!blnVega) {
        // datainmin 0: no reading since start, nothing to re-reference the scale to.
        if (datain >= kVegaMinByte && datain <= kVegaMaxByte && datainmin > 0) {
            blnVega = true;
            sngVega = static_cast<float>(static_cast<double>(kVegaReference) / datainmin);
            m_sink.startVega();
        }
    } else {
        blnVega = false;
        sngVega = 1.0f;
        m_sink.endVega();
    }
}

void ReadingProcessor::aReading(const ReadingContext& ctx) {
    datain = std::clamp(datain, kLowByte, kHighByte);
    const int v = datain - kLowByte;
    m_sink.showBar(barWidth(v));

    // When the probe leaves the skin right after the measuring time ran out, the result
    // belongs to the touch that just ended, not to the zero that ended it.
    const int touchMax = datainmax;
    const bool ended = v == 0;
    if (ended) {
        // A touch that ends before its time is up is dropped, so no result with a
        // maximum of 0 is ever taken from it.
        if (blnrezult && !blndata)
            m_sink.stopTimer1();
        blnrezult = false;
        datainmax = 0;
    } else {
        if (v >= datainmax)
            datainmax = v;
        datainmin = v;
    }
    const int max = ended ? touchMax : datainmax;

    if (ctx.oneTouch) {
        if (blnVega || ctx.testing) {
            if (ended)
                blndata = false;
            m_sink.showLive(blnVega ? static_cast<int>(std::floor(datainmin * sngVega)) : datainmin);
            return;
        }
        if (!blnrezult && datain >= kTouchStartByte)
            startTouch(ctx);
        if (blndata) {
            blndata = false;
            if (max > 0) {
                takeResult(ctx, max, max - datainmin);
                m_sink.beep3();
            }
        }
        return;
    }

    if (!blnrezult && datain >= kTouchStartByte)
        startTouch(ctx);
    if (!blndata)
        return;
    blndata = false;
    if (max <= 0)
        return;
    if (int3 < 0 || int3 > 2)
        int3 = 0;
    (int3 == 0 ? datainmax1 : int3 == 1 ? datainmax2 : datainmax3) = max;
    ++int3;
    m_sink.beep3();
    if (int3 < 3)
        return;
    datainmax = std::max({datainmax1, datainmax2, datainmax3});
    datainmin = std::min({datainmax1, datainmax2, datainmax3});
    int3 = 0;
    const int setMax = datainmax;
    if (ended)
        datainmax = 0; // the next touch tracks its own maximum
    takeResult(ctx, setMax, setMax - datainmin);
}

void ReadingProcessor::startTouch(const ReadingContext& ctx) {
    blnrezult = true;
    const bool valid = ctx.measuringMs > 0 && ctx.measuringMs <= kMaxMeasuringMs;
    m_sink.startTimer1(valid ? ctx.measuringMs : kDefaultMeasuringMs);
}

void ReadingProcessor::takeResult(const ReadingContext& ctx, int max, int drop) {
    m_sink.showResult(max, drop);
    const QString text = resultText(max, drop);
    if (ctx.branches) {
        if (ctx.listPosition >= 0 && ctx.listPosition < catalogue::kBranchCount)
            m_sink.storeResult(catalogue::kFirstBranchRow + ctx.listPosition, 0, text);
        return;
    }
    // Summed wide: a side offset near the int limit must not wrap into a valid column.
    const qint64 column = qint64(ctx.intright) + ctx.number;
    if (ctx.listPosition >= 0 && ctx.listPosition < catalogue::kMeridianCount && ctx.number >= 0 &&
        ctx.number < catalogue::kRows && column >= 0 && column < catalogue::kResultColumns)
        m_sink.storeResult(ctx.listPosition, int(column), text);
}

} // namespace reading
