// Picking and moving the ten light-check points with the mouse, and the two ways a moved point
// finds its place in the picture: the bright patch of a ball (light check) or the end of a
// painted line (the four ball-direction markers). Works on an edit copy of the camera's values
// and on the picture the view shows.
#pragma once

#include "camera/operator_edits.h"
#include "camera/view_snapshot.h"

namespace console {

inline constexpr int32_t kPicked = 2;

// The point a click moves: the last picked one in search order, or null. With markersOnly only
// the four ball-direction markers are looked at.
CRectT* LastPicked(OperatorEdits& edits, bool markersOnly);

// A click at camera pixel (mx, my) in a view whose points are edited: moves the last picked point
// there and lets it find its place, or, with none picked, picks every shown point under the click.
void ClickPoint(OperatorEdits& edits, int32_t mx, int32_t my, bool ballDirection,
                const ViewSnapshot& picture, int32_t ballLevel);

// The brightest ball-sized patch around the point, if one is bright enough to be a ball.
void SnapToBrightPatch(CRectT& point, const ViewSnapshot& picture, int32_t ballLevel);

enum class Marker { kTop, kLeft, kBottom, kRight };
// Centres the marker on the end of its painted line, when the line is found on all sides.
void RefineMarker(CRectT& marker, Marker which, const ViewSnapshot& picture);

// Drops every pick.
void DropPicks(OperatorEdits& edits);

}  // namespace console
