// The plane geometry of DXF entities for the DXF reader: arcs and bulges
// as straight walls, and the planes entities are drawn in.
#pragma once

#include <vector>

#include "model/affine.h"
#include "model/dxf_file.h"

struct DxfPoint {
  double x = 0, y = 0;
};

// Exact for multiples of 90 degrees, so that quarter arcs and rotated
// blocks keep walls that were horizontal or vertical exactly so.
void CosSinDegrees(double degrees, double& c, double& s);
DxfPoint OnCircle(DxfPoint centre, double radius, double degrees);

// Appends the segment unless it has no length: such a segment is no wall.
void AddSegment(std::vector<WallSegment>& out, DxfPoint from, DxfPoint to);
// The arc about `centre` from `from` (at `start` degrees) through `sweep`
// degrees (counter-clockwise when positive) to `to`, as straight pieces of
// at most 15 degrees and a tenth of the radius that begin and end exactly
// at `from` and `to`.
void AddArc(std::vector<WallSegment>& out, DxfPoint centre, double radius, double start,
            double sweep, DxfPoint from, DxfPoint to);
// A polyline segment from `from` to `to` with the given bulge: the tangent
// of a quarter of the arc's angle, positive counter-clockwise; 0 is straight.
void AddBulgeSegment(std::vector<WallSegment>& out, DxfPoint from, DxfPoint to, double bulge);

// The plane of an entity, given by its extrusion direction, seen from
// above: a map from the entity's coordinates to the world's x and y.  False
// for a direction of no length.
bool PlaneToWorld(const double normal[3], Affine2D& m);
bool IsIdentity(const Affine2D& m);
WallSegment Mapped(const Affine2D& m, WallSegment s);
