// Point selection: the two passes over the input that fill the image.
//
// The counting pass counts the points.  The converting pass, after a seek
// back to where the points begin, stores them into the image slots.  When
// there are more than 9996 points, a fixed number of points is skipped after
// each stored point until the excess is used up, so at most 9996 are stored.
// Wherever two consecutive input points (stored or skipped) lie farther apart
// than the break distance, the next stored point starts a new track.
#ifndef TRACKS_CORE_POINT_SELECTION_H_
#define TRACKS_CORE_POINT_SELECTION_H_

#include <cstdint>

#include "core/point_source.h"
#include "core/track_image.h"

namespace tracks {

// Metres per degree of longitude at whole degrees of latitude 0 to 90, on a
// sphere of radius 6371032 m, rounded to 8 decimals.
extern const double longitude_scale[91];

// Metres per degree of latitude on the same sphere.
inline constexpr double kMetresPerDegreeLatitude = 111195.48679259;

// 1 when the two points lie farther apart than `distance` metres on a flat
// north-south / east-west approximation, else 0.  A distance exactly equal
// is no break.  The longitude difference is not folded into -180..180.
int exceeds_break_distance(double lat1, double lon1, double lat2, double lon2,
                           double distance);

// The most points a run stores; the last four slots stay empty.
inline constexpr std::int64_t kMaxStoredPoints = 9996;

class PointSelection {
 public:
  PointSelection(TrackImage& image, Console& console,
                 std::int32_t break_distance)
      : image_(image), console_(console), break_distance_(break_distance) {}

  // Runs both passes over `input`, which check_header has left at the first
  // point.  Prints the point count after the counting pass when
  // `report_count` is set.  Throws RunError with status 11, 12 or 13.
  void select_points(InputStream& input, PointSource& source,
                     bool report_count);

  // Encodes a point into a slot, marking and announcing a track start when
  // one is pending.
  void store_point(const TrackPoint& point, int slot);

  std::int32_t stored_count() const { return stored_count_; }

 private:
  void detect_break(const TrackPoint& point);

  TrackImage& image_;
  Console& console_;
  const std::int32_t break_distance_;

  std::int32_t stored_count_ = 0;
  bool track_start_pending_ = true;
  std::int32_t track_number_ = 0;
  double previous_latitude_ = 0.0;
  double previous_longitude_ = 0.0;
};

}  // namespace tracks

#endif  // TRACKS_CORE_POINT_SELECTION_H_
