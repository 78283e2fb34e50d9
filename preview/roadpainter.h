// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "roadmodel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// Draws a preview on any paint device: the window, an image, a PDF page or a printer page, so
// that what is exported is what was seen.
namespace RoadPainter {

// The file as it is, and as the conversion writes it.
inline const QColor OriginalColour { 0, 70, 170 };
inline const QColor ConvertedColour { 220, 90, 0 };

// Where the drawing's metres land on a page. The plan has one scale for both axes and north
// up; the elevation stretches the heights, by `exaggeration`, to fill the page.
struct Frame {
    QRectF plot; // the part of the page the road is drawn in
    double scaleX = 1; // pixels per metre across
    double scaleY = 1; // pixels per metre up
    double originX = 0; // the metres at the plot's left edge
    double originY = 0; // the metres at the plot's bottom edge
    double exaggeration = 1;
    QPointF toPixel(RoadModel::Point p) const
    {
        return { plot.left() + (p.x - originX) * scaleX, plot.bottom() - (p.y - originY) * scaleY };
    }
};

// How the user has moved the drawing: zoomed by `zoom` about the plot's centre, then moved by
// `pan` pixels.
struct View {
    double zoom = 1;
    QPointF pan;
};

Frame frameFor(const RoadModel::Preview& preview, const QRectF& page, const View& view = {});

// A point's mark, a filled circle.
struct Dot {
    QPointF at;
    double radius = 0;
};

// A label placed on the page: a mark's text in its box.
struct Label {
    QRectF box;
    QString text;
    bool converted = false; // the converted file's, drawn in its colour
};

// Where the point marks and the labels go on a page, worked out before anything is drawn: each
// label lies wholly on the page, clear of both roads, of every point mark and of the labels
// placed before it; a label with no such place is left out.
struct Layout {
    std::vector<Dot> originalDots, convertedDots;
    std::vector<Label> labels;
};
Layout layout(const RoadModel::Preview& preview, const QRectF& page, const View& view = {},
    const QFont& font = QFont());

// What a printed page says about itself in its corner: the file, the date and the scale.
struct TitleBlock {
    QString file;
    QString date;
    double pixelsPerMillimetre = 0; // of the page, for the scale 1:n of the plan
};

// "1:2500": the plan's scale on a page, rounded to two significant digits.
QString scaleText(const Frame& frame, double pixelsPerMillimetre);

// Draws the whole page: the road, the converted road over it, the legend, the scale bar and
// the extent, and the title block when one is given.
void paint(QPainter& painter, const QRectF& page, const RoadModel::Preview& preview,
    const View& view = {}, const TitleBlock* title = nullptr);

// The page as an image of `size` pixels, on white.
QImage image(const RoadModel::Preview& preview, QSize size);

// The extent of the file's road, as the drawing and the summary state it.
QString extentText(const RoadModel::Preview& preview);
// How much an elevation stretches the heights, which depends on the page drawn on.
QString exaggerationText(const Frame& frame);

}
