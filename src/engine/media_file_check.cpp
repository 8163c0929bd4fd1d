#include "engine/media_file_check.h"

#include <cstring>

namespace {

const int64_t kTsPacketSize = 188;
const unsigned char kTsSyncByte = 0x47;

uint64_t BigEndian(const unsigned char* bytes, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

// The copy writes the index ("moov") last, so a cut file lacks it, or a box runs past the end.
bool IsCompleteMp4(int64_t length, const ReadFileBytesAt& read) {
  bool has_index = false;
  int64_t offset = 0;
  while (offset < length) {
    unsigned char header[16];
    if (length - offset < 8 || !read(offset, 8, header)) return false;
    uint64_t size = BigEndian(header, 4);
    int64_t header_size = 8;
    if (size == 1) {  // a 64-bit size follows the type
      if (length - offset < 16 || !read(offset + 8, 8, header + 8)) return false;
      size = BigEndian(header + 8, 8);
      header_size = 16;
    }
    // Size 0 ("to the end of the file") is what an unfinished media data box still says.
    if (size < static_cast<uint64_t>(header_size) || size > static_cast<uint64_t>(length - offset)) return false;
    if (std::memcmp(header + 4, "moov", 4) == 0) has_index = true;
    offset += static_cast<int64_t>(size);
  }
  return has_index;
}

// The first packet's sync byte is checked by the caller.
bool IsCompleteTransportStream(int64_t length, const ReadFileBytesAt& read) {
  unsigned char last = 0;
  return length % kTsPacketSize == 0 && read(length - kTsPacketSize, 1, &last) && last == kTsSyncByte;
}

}  // namespace

bool IsCompleteMediaFile(int64_t length, const ReadFileBytesAt& read) {
  unsigned char start[8];
  if (length < 8 || !read(0, sizeof start, start)) return false;
  if (std::memcmp(start + 4, "ftyp", 4) == 0) return IsCompleteMp4(length, read);
  return start[0] == kTsSyncByte && IsCompleteTransportStream(length, read);
}
