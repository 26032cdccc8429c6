// The bars of a bar series (chart.cpp): the component's bars, which can
// also write their values above (or below, for negative values) each bar.
#pragma once

#include <qcustomplot.h>

namespace quorvane {

class MarkedBars : public QCPBars {
  public:
    MarkedBars(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPBars(keyAxis, valueAxis) {}
    bool marksVisible = true;

  protected:
    void draw(QCPPainter* painter) override {
        QCPBars::draw(painter);
        if (!marksVisible || mDataContainer->isEmpty())
            return;
        QCPBarsDataContainer::const_iterator begin;
        QCPBarsDataContainer::const_iterator end;
        getVisibleDataBounds(begin, end);
        painter->setPen(Qt::black);
        const QFontMetrics metrics(painter->font());
        for (auto it = begin; it != end; ++it) {
            const QRectF bar = getBarRect(it->key, it->value);
            const QString text = QString::number(it->value, 'g', 6);
            const int width = metrics.horizontalAdvance(text);
            const double top = it->value >= 0 ? bar.top() - metrics.descent() - 2
                                              : bar.bottom() + metrics.ascent() + 2;
            painter->drawText(QPointF(bar.center().x() - width / 2.0, top), text);
        }
    }
};

}  // namespace quorvane
