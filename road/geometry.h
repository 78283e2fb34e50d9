// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// The plane geometry of a road: pieces whose curvature changes evenly along their length. A
// straight, a circular arc and a clothoid are all such a piece, so one evaluation serves them
// all and a clothoid is as exact as an arc.
namespace Geometry {

// Plan coordinates: x easting, y northing, metres. A heading is the mathematical angle from
// east, counter-clockwise, in radians; a curvature is positive when the road turns left.
struct Pose {
    double x = 0;
    double y = 0;
    double heading = 0;
};

struct Piece {
    Pose start;
    double length = 0;
    double curvature = 0; // at the start
    double rate = 0; // change of curvature per metre

    double curvatureAt(double s) const { return curvature + rate * s; }
    double headingAt(double s) const { return start.heading + curvature * s + rate * s * s / 2; }
    // The pose `s` metres along the piece (s may run past either end).
    Pose at(double s) const;
};

// Where a piece of length `length` that starts at the origin heading east ends: the Fresnel
// integrals of the general clothoid, evaluated by Gauss-Legendre quadrature on panels short
// enough that the error stays far below a micrometre on any road length.
Pose localEnd(double length, double curvature, double rate);

// The bearing a surveyor reads, in gon from north clockwise (0 to 400), for a heading.
double bearingGon(double heading);

// The smallest difference between two headings, in radians, from -pi to pi.
double turn(double from, double to);

// Points along the piece close enough to draw it as it is (no chord further than about a
// centimetre from the piece on a road-sized drawing).
std::vector<Pose> sample(const Piece& piece);

}
