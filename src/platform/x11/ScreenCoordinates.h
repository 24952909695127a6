#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

// The one place where Qt's top-left screen coordinates meet the logic's points, whose origin is
// the lower left of the primary screen with y growing upwards.
namespace ScreenCoordinates {

// The height of the primary screen in Qt's coordinates, the pivot of the flip.
qreal primaryHeight();

QRectF fromQt(const QRectF& qtRect);
QRectF toQt(const QRectF& rect);
QPointF fromQt(const QPointF& qtPoint);
QPointF toQt(const QPointF& point);

// The same flip against an explicit pivot, for tests and for callers that hold the height.
QRectF flip(const QRectF& rect, qreal pivotHeight);
QPointF flip(const QPointF& point, qreal pivotHeight);

} // namespace ScreenCoordinates
