// The recording note with any bytes: a note accepted names a transport stream and its final
// file beside it, and written back it is the same bytes.
#include "engine/recording_note.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<RecordingNote> note = ParseRecordingNote(bytes);
  if (!note) return 0;
  const std::wstring& recording = note->recording_file;
  FUZZ_CHECK(recording.size() > 3 && recording.compare(recording.size() - 3, 3, L".ts") == 0, "not a .ts");
  const std::wstring base = recording.substr(0, recording.size() - 3);
  FUZZ_CHECK(note->final_file == base + L"_rec.mp4" || note->final_file == base + L"_rec.ts", "final elsewhere");
  FUZZ_CHECK(FormatRecordingNote(*note) == bytes, "note changed on the way back");
  return 0;
}
