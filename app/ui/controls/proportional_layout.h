#pragma once
// The proportional layout of every page: the page keeps its client size as the reference; on
// every size change it multiplies each child's edges by new width / reference width and new
// height / reference height (single precision, truncated toward zero), then takes the new size
// as the reference. A page built in template coordinates thus fills whatever rectangle its
// window gives it.

#include <QRect>

class QWidget;

namespace kest::ui {

// The edges of `rect` (left, top, and the exclusive right and bottom) scaled and truncated.
QRect ScaleEdges(const QRect& rect, float factorX, float factorY);

// Starts the layout on `page` with its present size as the reference. Call it at the end of
// the page's initialisation, when its children stand at their template places. The layout
// lives as long as the page.
void InstallProportionalLayout(QWidget* page);

}  // namespace kest::ui
