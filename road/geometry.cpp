// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Geometry {

namespace {

    // Eight-point Gauss-Legendre nodes and weights on [-1, 1]. On a panel whose heading turns by
    // at most a quarter radian, the rule integrates cos and sin of the quadratic heading to
    // about 1e-16 of the panel's length.
    constexpr double Nodes[4]
        = { 0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363 };
    constexpr double Weights[4]
        = { 0.3626837833783620, 0.3137066278719921, 0.2223810344533745, 0.1012285362903763 };

    constexpr double PanelTurn = 0.25;

}

Pose localEnd(double length, double curvature, double rate)
{
    if (length == 0)
        return {};
    const auto heading = [&](double s) { return curvature * s + rate * s * s / 2; };
    if (rate == 0) {
        // A straight or an arc: closed form.
        const double h = curvature * length;
        if (std::abs(h) < 1e-12)
            return { length, 0, h };
        return { std::sin(h) / curvature, (1 - std::cos(h)) / curvature, h };
    }
    // How far the heading turns over the piece, bounded from above by the largest curvature.
    const double largest
        = std::max(std::abs(curvature), std::abs(curvature + rate * length)) * length;
    // Bounded: no road element turns more than a few times round, and a file's nonsense must
    // not cost more than a few milliseconds.
    const int panels = int(std::clamp(std::ceil(largest / PanelTurn), 1.0, 16384.0));
    const double width = length / panels;
    double x = 0, y = 0;
    for (int p = 0; p < panels; ++p) {
        const double mid = (p + 0.5) * width, half = width / 2;
        for (int k = 0; k < 4; ++k) {
            for (const double side : { -1.0, 1.0 }) {
                const double h = heading(mid + side * Nodes[k] * half);
                x += Weights[k] * half * std::cos(h);
                y += Weights[k] * half * std::sin(h);
            }
        }
    }
    return { x, y, heading(length) };
}

Pose Piece::at(double s) const
{
    const Pose local = localEnd(s, curvature, rate);
    const double c = std::cos(start.heading), n = std::sin(start.heading);
    return { start.x + c * local.x - n * local.y, start.y + n * local.x + c * local.y,
        start.heading + local.heading };
}

double bearingGon(double heading)
{
    double gon = (std::numbers::pi / 2 - heading) * 200 / std::numbers::pi;
    gon = std::fmod(gon, 400);
    if (gon < 0)
        gon += 400;
    return gon >= 400 ? 0 : gon;
}

double turn(double from, double to)
{
    double d = std::remainder(to - from, 2 * std::numbers::pi);
    return d;
}

std::vector<Pose> sample(const Piece& piece)
{
    const double turning
        = std::max(std::abs(piece.curvature), std::abs(piece.curvatureAt(piece.length)))
        * piece.length;
    // Two degrees of turning per step, at least eight steps for anything that bends.
    const int steps = piece.curvature == 0 && piece.rate == 0
        ? 1
        : std::clamp(int(std::ceil(turning / (std::numbers::pi / 90))), 8, 4000);
    std::vector<Pose> points;
    points.reserve(std::size_t(steps) + 1);
    // Walked piece by piece from the previous point, so the cost stays linear in the steps.
    Piece rest = piece;
    points.push_back(piece.start);
    const double step = piece.length / steps;
    for (int k = 1; k <= steps; ++k) {
        rest.start = points.back();
        rest.curvature = piece.curvatureAt(step * (k - 1));
        points.push_back(rest.at(step));
    }
    return points;
}

}
