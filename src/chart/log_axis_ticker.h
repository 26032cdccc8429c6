// Ticks and labels of a logarithmic axis.
//
// Over 3 decades or more (the main chart's design range 1e-6..10 spans 7)
// the labelled ticks stand at powers of ten (every k-th power when more
// than ten would show), with the axis' minor ticks between them (8: at 2..9
// times each power).
//
// Over less (a zoom), each decade is cut at 1, 2 and 5 times its power of
// ten; labelled ticks stand at these cuts and at the multiples of a step
// chosen per segment: the smallest of 1, 2 or 5 times a power of ten at
// which two labels at the segment's upper end (or the range's, if lower)
// stand at least one label width apart. The step grows along the axis, so
// that labels keep their spacing where the logarithmic scale crowds them.
// Minor ticks divide each step into 5 (steps 1 and 5) or 4 (step 2) parts.
//
// Each label is labelText(value, resolution): resolution is the step of the
// tick's segment on a zoomed axis, 0 over 3 decades or more.
#pragma once

#include <qcustomplot.h>
#include <QString>
#include <functional>
#include <vector>

#include "chart/axis_ticks.h"

namespace quorvane {

class LogAxisTicker : public QCPAxisTickerLog {
  public:
    using LabelText = std::function<QString(double value, double resolution)>;

    // `axis` gives the pixel length and the label font.
    LogAxisTicker(const QCPAxis& axis, LabelText labelText);

    // A labelled tick of a zoomed range and the step of its segment.
    using Tick = AxisTick;

  protected:
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override;
    QVector<double> createSubTickVector(int subTickCount, const QVector<double>& ticks) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

  private:
    const QCPAxis& axis_;
    LabelText labelText_;
    // The ticks of the last zoomed range; empty for powers of ten.
    std::vector<Tick> zoomed_;
    QCPRange range_;
};

}  // namespace quorvane
