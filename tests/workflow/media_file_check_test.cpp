#include "engine/media_file_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A box of that type with payload bytes, stating its true size unless told another.
Bytes Box(const std::string& type, size_t payload, uint32_t stated_size = 0xFFFFFFFF) {
  const uint32_t size = stated_size == 0xFFFFFFFF ? static_cast<uint32_t>(8 + payload) : stated_size;
  Bytes box(8 + payload, 0xAB);
  for (int i = 0; i < 4; ++i) {
    box[i] = static_cast<unsigned char>(size >> (24 - 8 * i));
    box[4 + i] = static_cast<unsigned char>(type[i]);
  }
  return box;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Packets(size_t count, unsigned char payload = 0xFF) {
  Bytes stream(count * 188, payload);
  for (size_t i = 0; i < count; ++i) stream[i * 188] = 0x47;
  return stream;
}

bool Complete(const Bytes& file) {
  return IsCompleteMediaFile(static_cast<int64_t>(file.size()),
                             [&file](int64_t offset, size_t size, unsigned char* out) {
                               if (offset < 0 || static_cast<uint64_t>(offset) + size > file.size()) return false;
                               std::memcpy(out, file.data() + offset, size);
                               return true;
                             });
}

// How the encoder's copy leaves its final file: whole, or cut short at some point by a full
// disk while it still reported success.
TEST(MediaFileCheck, OnlyWholeFilesCount) {
  const Bytes mp4 = Join({Box("ftyp", 24), Box("free", 0), Box("mdat", 5000), Box("moov", 900)});
  Bytes large_mdat = Box("mdat", 5000, 1);                                    // a 64-bit size after the type
  large_mdat.insert(large_mdat.begin() + 8, {0, 0, 0, 0, 0, 0, 0x13, 0x98});  // 16 + 5000
  const Bytes ts = Packets(40);
  const Bytes ts_of_syncs = Packets(40, 0x47);
  struct Case {
    const char* name;
    Bytes file;
    bool complete;
  };
  const std::vector<Case> cases = {
      {"MP4 with its index", mp4, true},
      {"MP4 with a 64-bit media data size", Join({Box("ftyp", 24), large_mdat, Box("moov", 900)}), true},
      {"MP4 cut inside its index", Bytes(mp4.begin(), mp4.end() - 100), false},
      {"MP4 cut before its index", Bytes(mp4.begin(), mp4.end() - 908), false},
      {"MP4 cut inside a box header", Bytes(mp4.begin(), mp4.end() - 904), false},
      {"MP4 whose media data was never finished", Join({Box("ftyp", 24), Box("mdat", 5000, 0)}), false},
      {"MP4 with a box smaller than its header", Join({Box("ftyp", 24), Box("mdat", 0, 4), Box("moov", 9)}), false},
      {"MP4 without an index", Join({Box("ftyp", 24), Box("mdat", 5000)}), false},
      {"whole transport stream", ts, true},
      {"transport stream cut inside a packet", Bytes(ts.begin(), ts.end() - 100), false},
      {"transport stream cut where a payload byte 188 from the end looks like a sync byte",
       Bytes(ts_of_syncs.begin(), ts_of_syncs.end() - 100), false},
      {"transport stream whose last packet lost its sync", Join({Packets(3), Bytes(188, 0)}), false},
      {"empty file", Bytes(), false},
      {"something else", Bytes(376, 0x20), false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.complete, Complete(c.file)) << c.name;
}

}  // namespace
