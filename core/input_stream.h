// A buffered binary input file with the few operations the converters need.
//
// Bytes come through unchanged (no line-end translation).  The end of the
// file and a read error look alike: both end the input.  Positions are 64-bit
// byte offsets from the start of the file, so files past 4 GiB work.  Seeking
// past the end of the file is allowed (reads there find the end of the
// input); seeking to a negative position fails.  A stream that cannot tell its
// position (a pipe, a terminal) answers tell() with -1.
//
// The point sources scan the buffer in place for speed: data()/end() give the
// unread bytes that are already buffered, advance() consumes some of them and
// refill() reads more once the buffer is used up.
#ifndef TRACKS_CORE_INPUT_STREAM_H_
#define TRACKS_CORE_INPUT_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace tracks {

class InputStream {
 public:
  // Opens a file for binary reading.  Returns nullptr when the name does not
  // name a readable file (a directory counts as unreadable).
  static std::unique_ptr<InputStream> open(const std::string& name);

  // Takes ownership of an open stream (used by tests for in-memory files).
  explicit InputStream(std::FILE* file);
  ~InputStream();
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;

  // The next byte, 0 to 255, or -1 at the end of the input or on a read error.
  int get() {
    if (pos_ == end_ && !refill()) return -1;
    return *pos_++;
  }

  // Reads up to n bytes into dst; returns how many were read.
  std::size_t read(void* dst, std::size_t n) {
    if (static_cast<std::size_t>(end_ - pos_) >= n) {
      std::memcpy(dst, pos_, n);
      pos_ += n;
      return n;
    }
    return read_across_blocks(dst, n);
  }

  // Current position, or -1 when the stream cannot tell it.
  std::int64_t tell();

  // Moves to an absolute position.  False for a negative position or a
  // stream that cannot seek.
  bool seek(std::int64_t position);

  // Moves by delta bytes from the current position.
  bool skip(std::int64_t delta) {
    // Forward within the buffered block of a stream that knows its
    // position: no system call.
    if (buffer_offset_ >= 0 && delta >= 0 && delta <= end_ - pos_) {
      pos_ += delta;
      return true;
    }
    return skip_beyond_block(delta);
  }

  // The buffered, unread bytes.
  const unsigned char* data() const { return pos_; }
  const unsigned char* end() const { return end_; }
  void advance(std::size_t n) { pos_ += n; }

  // Reads the next block into the buffer, dropping what was buffered.
  // False at the end of the input (or on a read error).
  bool refill();

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  std::size_t read_across_blocks(void* dst, std::size_t n);
  bool skip_beyond_block(std::int64_t delta);

  std::FILE* file_;
  // File position of buffer_[0], or -1 when unknown (nothing buffered yet,
  // or a stream that cannot tell its position).
  std::int64_t buffer_offset_ = -1;
  unsigned char* pos_;
  unsigned char* end_;
  unsigned char buffer_[kBufferSize];
};

}  // namespace tracks

#endif  // TRACKS_CORE_INPUT_STREAM_H_
