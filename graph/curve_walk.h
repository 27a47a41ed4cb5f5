#pragma once
// The points of one curve as the paint draws them, computed without drawing.

#include "graph/graph.h"

// Number of points CurveWalk_Points may need for the current plot rectangle:
// two per pixel column plus two for each end of the view.
int CurveWalk_Capacity(const AppState* app);
// The polyline of channel c (0 to 7) over the x view and the plot rectangle
// of the last layout.  Samples inside the view are merged into at most two
// points per pixel column; the segments to the nearest sample beyond each end
// of the view are clipped at the plot's edge.  Writes at most cap points and
// returns their count; 0 when the channel has nothing in view, no samples or
// no positive step.  Reads samples only at 0 .. iNrOfSamples - 1 (within the
// storage).
int CurveWalk_Points(const AppState* app, int c, POINT* pts, int cap);
