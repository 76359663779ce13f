#include "core/point_selection.h"

#include <cmath>

namespace tracks {

const double longitude_scale[91] = {
    111195.48514992, 111178.54953894, 111127.74786477, 111043.09560207,
    110924.61853676, 110772.35275809, 110586.34464769, 110366.65086544,
    110113.33833219, 109826.48420940, 109506.17587559, 109152.51089981,
    108765.59701183, 108345.55206935, 107892.50402215, 107406.59087305,
    106887.96063590, 106336.77129048, 105753.19073443, 105137.39673203,
    104489.57686009, 103809.92845082, 103098.65853173, 102355.98376250,
    101582.13036907, 100777.33407469, 99941.84002809, 99075.90272887,
    98179.78594990, 97253.76265705, 96298.11492597, 95313.13385622,
    94299.11948258, 93256.38068365, 92185.23508777, 91086.00897626,
    89959.03718405, 88804.66299766, 87623.23805065, 86415.12221651,
    85180.68349901, 83920.29792016, 82634.34940561, 81323.22966773,
    79987.33808630, 78627.08158684, 77242.87451664, 75835.13851860,
    74404.30240273, 72950.80201558, 71475.08010745, 69977.58619752,
    68458.77643695, 66919.11346990, 65359.06629263, 63779.11011062,
    62179.72619382, 60561.40173008, 58924.62967670, 57269.90861030,
    55597.74257496, 53908.64092864, 52203.11818807, 50481.69387199,
    48744.89234294, 46993.24264747, 45227.27835506, 43447.53739554,
    41654.56189524, 39848.89801187, 38031.09576814, 36201.70888423,
    34361.29460909, 32510.41355075, 30649.62950551, 28779.50928621,
    26900.62254959, 25013.54162275, 23118.84132882, 21217.09881186,
    19308.89336107, 17394.80623432, 15475.42048107, 13551.32076484,
    11623.09318502, 9691.32509843, 7756.60494033, 5819.52204522,
    3880.66646732, 1940.62880083, 0.0,
};

int exceeds_break_distance(double lat1, double lon1, double lat2, double lon2,
                           double distance) {
  double ns = std::fabs(lat2 - lat1) * kMetresPerDegreeLatitude;
  if (ns > distance) return 1;
  // Most pairs lie well within the distance even at the equator's scale,
  // the largest of the table.  Rounded products and sums never decrease
  // when an operand grows, so then the test below says 0 as well, and the
  // mean latitude need not be worked out.
  double ew_at_most = std::fabs(lon2 - lon1) * longitude_scale[0];
  if (ew_at_most <= distance &&
      distance * distance >= ns * ns + ew_at_most * ew_at_most) {
    return 0;
  }
  // The mean latitude to the nearest whole degree picks the scale.  Latitudes
  // reaching here lie within +-180, so the index is small.
  double mean = std::floor((lat1 + lat2) * 0.5 + 0.5);
  double ew = 0.0;
  if (std::fabs(mean) <= 89.0) {
    int m = static_cast<int>(std::fabs(mean));
    ew = std::fabs(lon2 - lon1) * longitude_scale[m];
  }
  if (ew > distance) return 1;
  if (distance * distance >= ns * ns + ew * ew) return 0;
  return 1;
}

void PointSelection::detect_break(const TrackPoint& point) {
  if (break_distance_ <= 0) return;
  if (!track_start_pending_ &&
      exceeds_break_distance(previous_latitude_, previous_longitude_,
                             point.latitude, point.longitude,
                             static_cast<double>(break_distance_)) == 1) {
    track_start_pending_ = true;
  }
  previous_latitude_ = point.latitude;
  previous_longitude_ = point.longitude;
}

void PointSelection::store_point(const TrackPoint& point, int slot) {
  std::int64_t longitude_code = coordinate_code(point.longitude);
  std::int64_t latitude_code = coordinate_code(point.latitude);
  // Low 32 bits of the longitude, low 31 bits of the latitude: the fields
  // wrap by a full turn rather than saturate.
  auto longitude_field = static_cast<std::uint32_t>(longitude_code);
  auto latitude_word = static_cast<std::uint32_t>(latitude_code) & 0x7FFFFFFFu;
  if (track_start_pending_) {
    latitude_word |= 0x80000000u;
    track_start_pending_ = false;
    ++track_number_;
    console_.print("Track %d start at %f , %f \n", track_number_,
                   point.latitude, point.longitude);
  }
  image_.set_slot(slot, longitude_field, latitude_word);
}

void PointSelection::select_points(InputStream& input, PointSource& source,
                                   bool report_count) {
  std::int64_t start = source.start_position(input);
  if (start < 0) throw RunError(11, "Input file ftell error!\n");

  std::int64_t n = 0;
  while (source.skip_point(input) == 0) ++n;

  if (report_count) {
    console_.print("Number of input points: %lld \n", static_cast<long long>(n));
  }
  if (n < 2) throw RunError(12, "Too short input file!\n");

  track_start_pending_ = true;
  previous_latitude_ = 0.0;
  previous_longitude_ = 0.0;
  track_number_ = 0;
  std::int64_t excess = 0;
  std::int64_t skip = 0;
  if (n > kMaxStoredPoints) {
    excess = n - kMaxStoredPoints;
    skip = (excess + (kMaxStoredPoints - 2)) / (kMaxStoredPoints - 1);
  }

  if (!input.seek(start)) throw RunError(13, "Input file fseek error!\n");
  source.restart(start);

  TrackPoint point;
  std::int64_t remaining = n;
  while (remaining > 0) {
    int result = source.read_point(input, point);
    if (result != 0) {
      char message[96];
      std::snprintf(message, sizeof message,
                    "Input file read error (%d)!\nnum=%lld\n", result,
                    static_cast<long long>(remaining));
      throw RunError(13, message);
    }
    --remaining;
    detect_break(point);
    store_point(point, stored_count_);
    ++stored_count_;
    if (excess > 0) {
      // Skip runs test neither counter inside; a run that reaches past the
      // end of the input just finds no points there.
      // Without track breaking a skipped point's coordinates are not needed.
      for (std::int64_t i = 0; i < skip; ++i) {
        if (break_distance_ <= 0) {
          source.skip_point(input);
        } else if (source.read_point(input, point) == 0) {
          detect_break(point);
        }
        --remaining;
        --excess;
      }
    }
  }
}

}  // namespace tracks
