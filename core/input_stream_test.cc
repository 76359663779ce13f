#include "core/input_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/memory_stream.h"

namespace tracks {
namespace {

// Bytes whose value tells their position, spanning several buffer blocks.
std::string numbered_bytes(std::size_t n) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

TEST(InputStreamTest, ReadsBytesAndEndsWithMinusOne) {
  auto in = memory_stream(std::string("a\0\xff", 3));
  EXPECT_EQ('a', in->get());
  EXPECT_EQ(0, in->get());
  EXPECT_EQ(255, in->get());
  EXPECT_EQ(-1, in->get());
  EXPECT_EQ(-1, in->get());
  EXPECT_EQ(3, in->tell());
}

TEST(InputStreamTest, TellsAndSeeksAcrossBlocks) {
  const std::size_t size = 200000;  // about three blocks
  auto in = memory_stream(numbered_bytes(size));
  for (std::int64_t position :
       {0LL, 5LL, 65535LL, 65536LL, 65537LL, 131072LL, 199999LL, 70000LL, 3LL}) {
    ASSERT_TRUE(in->seek(position));
    EXPECT_EQ(position, in->tell());
    EXPECT_EQ(static_cast<int>(position % 251), in->get()) << position;
    EXPECT_EQ(position + 1, in->tell());
  }
  // Relative moves, inside the buffered block and beyond it.
  ASSERT_TRUE(in->seek(100));
  ASSERT_TRUE(in->skip(23));
  EXPECT_EQ(123, in->tell());
  ASSERT_TRUE(in->skip(100000));
  EXPECT_EQ(100123, in->tell());
  EXPECT_EQ(static_cast<int>(100123 % 251), in->get());
}

TEST(InputStreamTest, ReadsBlocksAcrossTheBufferEdge) {
  std::string bytes = numbered_bytes(70000);
  auto in = memory_stream(bytes);
  ASSERT_TRUE(in->seek(65530));
  char out[20];
  ASSERT_EQ(20u, in->read(out, sizeof out));
  EXPECT_EQ(bytes.substr(65530, 20), std::string(out, 20));
  ASSERT_TRUE(in->seek(69995));
  EXPECT_EQ(5u, in->read(out, sizeof out));
  EXPECT_EQ(0u, in->read(out, sizeof out));
}

TEST(InputStreamTest, SeekingPastTheEndFindsTheEnd) {
  auto in = memory_stream("abc");
  ASSERT_TRUE(in->seek(1000));
  EXPECT_EQ(1000, in->tell());
  EXPECT_EQ(-1, in->get());
  ASSERT_TRUE(in->skip(23));
  EXPECT_EQ(1023, in->tell());
  // And back again.
  ASSERT_TRUE(in->seek(1));
  EXPECT_EQ('b', in->get());
}

TEST(InputStreamTest, NegativePositionsFail) {
  auto in = memory_stream("abc");
  EXPECT_FALSE(in->seek(-1));
  EXPECT_FALSE(in->skip(-10));
  EXPECT_EQ(0, in->tell());
  EXPECT_EQ('a', in->get());
}

TEST(InputStreamTest, APipeReadsButCannotTellOrSeek) {
  auto in = pipe_stream("xyz");
  EXPECT_EQ(-1, in->tell());
  EXPECT_EQ('x', in->get());
  EXPECT_EQ(-1, in->tell());
  EXPECT_FALSE(in->seek(0));
  EXPECT_FALSE(in->skip(1));
  EXPECT_EQ('y', in->get());
}

TEST(InputStreamTest, PositionsPast4GiB) {
  // A sparse file: a few bytes just past 2^32, nothing but a hole before.
  std::FILE* file = std::tmpfile();
  ASSERT_NE(nullptr, file);
  const std::int64_t far = (std::int64_t{1} << 32) + 7;
  ASSERT_EQ(0, fseeko(file, far, SEEK_SET));
  ASSERT_EQ(3u, std::fwrite("xyz", 1, 3, file));
  std::rewind(file);
  InputStream in(file);
  ASSERT_TRUE(in.seek(far - 1));
  EXPECT_EQ(far - 1, in.tell());
  EXPECT_EQ(0, in.get());
  EXPECT_EQ('x', in.get());
  ASSERT_TRUE(in.skip(1));
  EXPECT_EQ('z', in.get());
  EXPECT_EQ(far + 3, in.tell());
  EXPECT_EQ(-1, in.get());
  ASSERT_TRUE(in.seek((std::int64_t{1} << 31) + 1));
  EXPECT_EQ((std::int64_t{1} << 31) + 1, in.tell());
  EXPECT_EQ(0, in.get());
}

TEST(InputStreamTest, OpenRefusesMissingFilesAndDirectories) {
  EXPECT_EQ(nullptr, InputStream::open("no/such/file.plt"));
  EXPECT_EQ(nullptr,
            InputStream::open(std::filesystem::temp_directory_path().string()));
}

}  // namespace
}  // namespace tracks
