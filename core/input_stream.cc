#include "core/input_stream.h"

#include <sys/stat.h>

#include <cstring>

#include "core/open_file.h"

namespace tracks {
namespace {

std::int64_t file_tell(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return ftello(f);
#endif
}

bool file_seek(std::FILE* f, std::int64_t position) {
#ifdef _WIN32
  return _fseeki64(f, position, SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool is_directory(std::FILE* f) {
#ifdef _WIN32
  struct _stat64 st;
  return _fstat64(_fileno(f), &st) == 0 && (st.st_mode & _S_IFDIR) != 0;
#else
  struct stat st;
  return fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

}  // namespace

std::unique_ptr<InputStream> InputStream::open(const std::string& name) {
  std::FILE* f = open_file(name, "rb");
  if (f == nullptr) return nullptr;
  // A directory opens on some systems but holds no bytes to read.
  if (is_directory(f)) {
    std::fclose(f);
    return nullptr;
  }
  return std::make_unique<InputStream>(f);
}

InputStream::InputStream(std::FILE* file)
    : file_(file), pos_(buffer_), end_(buffer_) {
  // This class does its own buffering; a second buffer inside the C stream
  // would only copy every byte once more.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

InputStream::~InputStream() { std::fclose(file_); }

bool InputStream::refill() {
  std::int64_t offset = file_tell(file_);
  std::size_t got = std::fread(buffer_, 1, kBufferSize, file_);
  buffer_offset_ = offset;
  pos_ = buffer_;
  end_ = buffer_ + got;
  return got > 0;
}

std::size_t InputStream::read_across_blocks(void* dst, std::size_t n) {
  auto* out = static_cast<unsigned char*>(dst);
  std::size_t done = 0;
  while (done < n) {
    if (pos_ == end_ && !refill()) break;
    std::size_t take = static_cast<std::size_t>(end_ - pos_);
    if (take > n - done) take = n - done;
    std::memcpy(out + done, pos_, take);
    pos_ += take;
    done += take;
  }
  return done;
}

std::int64_t InputStream::tell() {
  if (buffer_offset_ >= 0) return buffer_offset_ + (pos_ - buffer_);
  std::int64_t position = file_tell(file_);
  if (position < 0) return -1;
  return position - (end_ - pos_);
}

bool InputStream::seek(std::int64_t position) {
  if (position < 0) return false;
  // A target inside the buffered block needs no system call.
  if (buffer_offset_ >= 0 && position >= buffer_offset_ &&
      position <= buffer_offset_ + (end_ - buffer_)) {
    pos_ = buffer_ + (position - buffer_offset_);
    return true;
  }
  if (!file_seek(file_, position)) return false;
  std::clearerr(file_);
  buffer_offset_ = -1;
  pos_ = end_ = buffer_;
  return true;
}

bool InputStream::skip_beyond_block(std::int64_t delta) {
  std::int64_t here = tell();
  if (here < 0 || delta > INT64_MAX - here) return false;
  return seek(here + delta);
}

}  // namespace tracks
