#pragma once
// Curves flattened to polylines fine enough for the picture: segment counts follow the size in
// pixels (a quarter pixel off the true curve at most) and are bounded, whatever the file claims.

#include "formats/dwg/render/affine.h"

#include <vector>

namespace dsc::dwg {

// `pixelsPerUnit` is how many pixels one unit of the curve's own coordinates covers; 0 while
// measuring, when a fixed, coarse count does.
int arcSegments(double radius, double sweep, double pixelsPerUnit);

// Points along a circular arc in its plane (z kept), `sweep` signed; the start point included.
void appendArc(std::vector<Vec3>& out, Vec3 centre, double radius, double start, double sweep, double pixelsPerUnit);

// The points after `a` up to and including `b` of a polyline segment with a bulge.
void appendBulge(std::vector<Vec3>& out, Vec3 a, Vec3 b, double bulge, double pixelsPerUnit);

// A full or partial ellipse, start to end parameter counter-clockwise.
std::vector<Vec3> ellipsePoints(const Ellipse& ellipse, Vec3 normal, double pixelsPerUnit);

// A B-spline or NURBS curve by de Boor's algorithm (clamped uniform knots made up when the file's
// are unusable); a spline with fit points only goes smoothly through them (Catmull-Rom).
std::vector<Vec3> splinePoints(const Spline& spline, double pixelsPerUnit);

} // namespace dsc::dwg
