#pragma once
// Little-endian reading and writing of packed binary files. The reader never
// goes past the bytes it was given: a read that does not fit fails and leaves
// the position where it was.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace lumetra::platform {

static_assert(std::endian::native == std::endian::little, "records are stored in memory as on disk");

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return bytes_.size() - pos_; }

  bool Read(void* out, size_t n) {
    if (n > Remaining()) return false;
    if (n) std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  template <typename T>
  bool Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return Read(&value, sizeof value);
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return false;
    pos_ += n;
    return true;
  }
  // The bytes that the next `n` reads would return, without moving.
  std::string_view Peek(size_t n) const { return bytes_.substr(pos_, n); }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

class ByteWriter {
 public:
  void Write(const void* data, size_t n) { out_.append(static_cast<const char*>(data), n); }
  template <typename T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    Write(&value, sizeof value);
  }
  // A zero-terminated text in a fixed field: cut to size - 1, zero-filled.
  void PutFixedText(std::string_view text, size_t size) {
    size_t n = text.size() < size ? text.size() : size - 1;
    out_.append(text.data(), n);
    out_.append(size - n, '\0');
  }
  const std::string& Bytes() const { return out_; }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

}  // namespace lumetra::platform
