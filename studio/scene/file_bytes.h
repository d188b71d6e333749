// A scan file's bytes as the readers are given them: mapped once (never opened twice, so what was
// checked is what is read), refused early when they are not a regular file's, and served to
// OpenMesh's readers through stream buffers that read straight from the mapping.
// [SECTION] the mapping
// [SECTION] stream buffers over it
// [SECTION] text encodings
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace tessel::studio {

// [SECTION] the mapping

// Opened without blocking (a FIFO or a device would hold open() or read() forever) and mapped
// only when it is a regular file.
class MappedFile {
 public:
  explicit MappedFile(const std::filesystem::path& file);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  // Empty when the bytes are there, else why not ("is a FIFO, not a regular file").
  const std::string& problem() const { return problem_; }
  std::string_view bytes() const {
    return data_ ? std::string_view(static_cast<const char*>(data_), size_) : std::string_view();
  }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
  std::string problem_;
};

// [SECTION] stream buffers

// `head` and then `body`, as one seekable input: a header rewritten for the reader in front of
// a mapped body that is not copied.
class SpanBuffer final : public std::streambuf {
 public:
  SpanBuffer(std::string head, std::string_view body);

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override;
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

 private:
  std::size_t position() const;
  void setPosition(std::size_t at);
  std::string head_;
  std::string_view body_;
  bool inBody_ = false;
};

// An OBJ text as the reader must see it: CR, LF and CRLF all end a line, `mtllib` lines are
// comments (Studio draws no materials, and the reader would open whatever file one names, a FIFO
// included), and a polygon of many distinct corners comes as the triangles of its fan (the
// reader looks for repeated corners in a face with a search per corner, quadratic in its size).
// Made a chunk at a time, so a large file is never copied whole; it can be rewound.
class ObjTextBuffer final : public std::streambuf {
 public:
  explicit ObjTextBuffer(std::string_view text) : text_(text) {}

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override;
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

 private:
  static constexpr std::size_t kLargestPolygon = 1000;  // corners the reader is given whole
  // True, with the fan's triangles in expanded_ and the line taken, for a polygon to split.
  bool splitPolygon(std::size_t start);
  std::string_view text_;
  std::size_t read_ = 0, made_ = 0;  // bytes of text_ taken, characters handed out
  bool lineStart_ = true;
  std::string expanded_;  // a polygon's triangles, handed out from expandedAt_
  std::size_t expandedAt_ = 0;
  char chunk_[1 << 16];
};

// [SECTION] text encodings

// A text in UTF-16 with a byte order mark, as UTF-8; nullopt when the bytes do not start with
// one. Unpaired surrogates become U+FFFD.
std::optional<std::string> utf8FromUtf16(std::string_view bytes);
// The text without a leading UTF-8 byte order mark.
std::string_view withoutUtf8Bom(std::string_view text);

}  // namespace tessel::studio
