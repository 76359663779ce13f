#include "mps/mps_source.h"

#include <cstring>

namespace tracks {

const ProgramInfo kKeswinProgram = {
    "Navitel .mps track to Navitel Traks.bin file converter V1.20 \n",
    "Converts the tracks of a MapSource file (.mps) into a Navitel "
    "Tracks.bin file.\n",
    "Keswin InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
    false,
};

namespace {

constexpr unsigned char kHeader[6] = {'M', 's', 'R', 'c', 'd', '\0'};
constexpr int kTrackType = 0x54;  // 'T'
constexpr std::int64_t kLastWalkPosition = INT32_MAX;
constexpr std::int64_t kPointTail = 23;

std::int32_t little_endian_int32(const unsigned char* bytes) {
  std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) |
                        static_cast<std::uint32_t>(bytes[1]) << 8 |
                        static_cast<std::uint32_t>(bytes[2]) << 16 |
                        static_cast<std::uint32_t>(bytes[3]) << 24;
  return static_cast<std::int32_t>(value);
}

}  // namespace

double semicircles_to_degrees(std::int32_t value) {
  return static_cast<double>(value) * 180.0 / 2147483648.0;
}

void MpsSource::check_header(InputStream& input) {
  if (input.read(scratch_, sizeof kHeader) < sizeof kHeader) {
    throw RunError(2, "Input file read error!\n");
  }
  if (std::memcmp(scratch_, kHeader, sizeof kHeader) != 0) {
    throw RunError(2, "Incorrect file format!\n");
  }
  std::int64_t position = input.tell();
  if (position < 0) throw RunError(2, "Input file tell error!\n");
  first_record_position_ = position;
  next_record_position_ = position;
}

std::int64_t MpsSource::start_position(InputStream& /*input*/) {
  return first_record_position_;
}

void MpsSource::restart(std::int64_t /*start_position*/) {
  track_state_ = no_track;
  next_record_position_ = first_record_position_;
}

int MpsSource::find_track_record(InputStream& input) {
  for (;;) {
    // Positions stay within 32 bits, so adding a length cannot overflow and
    // a file past 2 GiB ends the walk rather than wrapping it.
    if (next_record_position_ < 0 ||
        next_record_position_ > kLastWalkPosition ||
        !input.seek(next_record_position_)) {
      return -1;
    }
    unsigned char bytes[4];
    if (input.read(bytes, 4) < 4) return -2;
    std::int32_t length = little_endian_int32(bytes);
    // Such a length would lead the walk back over records already visited,
    // and round again without end.
    if (length <= -5) return -4;
    next_record_position_ += static_cast<std::int64_t>(length) + 5;
    if (length == 0) continue;
    int type = input.get();
    if (type < 0) return -3;
    if (type == kTrackType) {
      track_state_ = track_found;
      return 0;
    }
  }
}

int MpsSource::parse_point(InputStream& input, TrackPoint& point) {
  if (track_state_ == no_track) return -10;
  if (track_state_ == track_found) {
    for (int n = 0;; ++n) {
      int c = input.get();
      if (c < 0) return -2;
      if (c == 0) break;
      if (n == kMpsNameLimit) return -3;
      scratch_[n] = static_cast<unsigned char>(c);
    }
    if (input.read(scratch_, 5) < 5) return -4;
    unsigned char count[4];
    if (input.read(count, 4) < 4) return -5;
    points_left_ = little_endian_int32(count);
    if (points_left_ < 0) return -6;
    track_state_ = in_points;
  }

  int result = 1;
  if (points_left_ > 0) {
    // Counted before the bytes are read: a point cut short is used up too.
    --points_left_;
    unsigned char bytes[8];
    std::size_t got = input.read(bytes, 8);
    if (got < 4) return -7;
    if (got < 8) return -8;
    point.latitude = semicircles_to_degrees(little_endian_int32(bytes));
    point.longitude = semicircles_to_degrees(little_endian_int32(bytes + 4));
    clear_name(point);
    // The tail may be cut off by the end of the file; the point stands.
    if (!input.skip(kPointTail)) return -9;
    result = 0;
  }
  if (points_left_ <= 0) track_state_ = no_track;
  return result;
}

int MpsSource::read_point(InputStream& input, TrackPoint& point) {
  for (;;) {
    if (track_state_ == no_track) {
      // A failed walk is the plain end of the input.
      if (find_track_record(input) != 0) return -1;
    }
    int result = parse_point(input, point);
    if (result < 0) {
      console_.print("Track read error!\n");
      return -1;
    }
    if (result == 0) return 0;
    // An empty track record: on to the next one.
  }
}

}  // namespace tracks
