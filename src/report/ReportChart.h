#pragma once

#include "report/Report.h"

#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace qmreport {

// A day: the 1-second values (gaps left empty), the interval LAeq as steps and the trigger levels
// as lines. A week or month: Lday, Levening, Lnight and Lden per day.
void PaintChart(QPainter& p, const QRectF& area, const Report& r);
QImage ChartImage(const Report& r, const QSize& size = QSize(1200, 500));

}  // namespace qmreport
