// The point source of Ralder: GPX files (.gpx).
//
// The file is not parsed as XML.  It is read byte for byte, without
// translation, as a sequence of tags:
//
//   tag           '<', its text, '>'; the text runs to the next '>' wherever
//                 that stands (inside a quoted value or a comment as well).
//                 A '<' inside the text is an ordinary character, and so are
//                 line ends, NUL and the bytes 128..255.  Start and end
//                 tags, comments, CDATA sections, declarations and
//                 processing instructions are all tags alike.
//   between tags  every byte (character data, white space, a byte-order
//                 mark) is read and dropped unlooked at.
//
// At most 998 characters of a tag's text are kept.  When 998 are kept and no
// '>' has come, the tag is those 998 characters; the rest of it, its '>'
// included, stays in the input and is passed over as bytes between tags.  A
// file that ends inside a tag, before its '>' and within its first 998
// characters, ends the points: the unfinished tag is dropped.
//
// The searches below treat a tag's text as ending at its first NUL, and are
// plain case-sensitive substring searches.  A point tag is a tag whose text
// holds "trkpt" and not "/trkpt" (so "gpx:trkpt" is one, and so is its end
// tag "/gpx:trkpt", which then has no "lat").  Its latitude is the number
// after the first "lat" in the text, its longitude the number after the first
// "lon", each searched from the start: the number begins at the first
// decimal digit or minus sign after the word, wherever that stands, and reads
// as a locale-free decimal (see core/decimal.h), so "55,7" gives 55 and an
// empty value takes the next attribute's number.  The latitude must lie
// within -100..100 and the longitude within -370..370, bounds included.
// Point tags that yield no point are skipped silently; everything else in the
// file (waypoints, routes, track and segment structure, elevations, times) is
// ignored.  A file in UTF-16 has a NUL after every '<', so it yields no
// point.
#ifndef TRACKS_GPX_GPX_SOURCE_H_
#define TRACKS_GPX_GPX_SOURCE_H_

#include "core/input_stream.h"
#include "core/point_source.h"
#include "core/run.h"

namespace tracks {

// The size of the tag buffer; a tag keeps at most kGpxTagSize - 2
// characters.
inline constexpr int kGpxTagSize = 1000;

// Reads the next tag's text into `buffer` (`size` characters, at least 2),
// NUL-terminated, keeping at most size - 2 characters.  Returns 0 when a tag
// was read, -1 when the input ended before a '<', and -2 when it ended inside
// a tag before its '>' and before size - 2 characters were kept.  A read
// error counts as the end of the input.
int read_tag(InputStream& input, char* buffer, int size);

// Ralder's texts: banner, notice and usage line; it reports the count.
extern const ProgramInfo kRalderProgram;

class GpxSource : public PointSource {
 public:
  // A GPX file has no header to check: the points start at its first byte.
  void check_header(InputStream&) override {}
  int read_point(InputStream& input, TrackPoint& point) override;
  int skip_point(InputStream& input) override;

  // Reads tags up to the next point tag and classifies it: 0 a point was
  // placed, 1 no "lat" or no "lon", 2 no digit or minus sign after one of
  // them, 3 a coordinate out of range, -1 end of the input.
  int parse_point(InputStream& input, TrackPoint& point);

 private:
  // A point tag's searched text, [text, limit): its kept characters up to
  // the first NUL.  In the stream's buffer where the whole tag lies in it,
  // else in tag_buffer_.  Valid until the next read.
  struct Tag {
    const char* text;
    const char* limit;
  };
  // Reads tags as read_tag does up to the next point tag; false at the end
  // of the input.
  bool next_point_tag(InputStream& input, Tag& tag);

  char tag_buffer_[kGpxTagSize];
};

}  // namespace tracks

#endif  // TRACKS_GPX_GPX_SOURCE_H_
