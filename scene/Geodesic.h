// Lengths on the WGS 84 ellipsoid (GeographicLib): every distance the
// program shows or writes is measured here.
#pragma once

#include "TilePos.h"

#include <vector>

// Metres along the geodesic from a to b.
double GeodesicMetres(const TLatLon &a, const TLatLon &b);
// A point at `fraction` (0 … 1) of the way along the geodesic from a to b.
TLatLon GeodesicPoint(const TLatLon &a, const TLatLon &b, double fraction);
