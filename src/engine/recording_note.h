#pragma once
// The note of the recording in progress, kept beside the settings file from the start of a
// recording until the end of its copy into the final file has been reported. A note found at
// the next start names a recording that the program never finished (it was killed, or the
// machine went down). Only names the program itself gives out are accepted, so a damaged
// or planted note can never make the program overwrite or delete another file.
#include <cstddef>
#include <optional>
#include <string>

struct RecordingNote {
  std::wstring recording_file;  // the transport stream being recorded, "...\T.ts"
  std::wstring final_file;      // what the copy writes, "...\T_rec.mp4" or "...\T_rec.ts"
};

// A note is never longer than this; anything longer is damaged.
constexpr size_t kMaxRecordingNoteBytes = 4096;

// The note's bytes: a header line and the two names, UTF-8, CR LF after each line.
std::string FormatRecordingNote(const RecordingNote& note);

// The note in `bytes`, or nothing when they are not exactly a note as FormatRecordingNote
// writes it for names the program gives out: a full path (drive or network share) to a file
// named by the start time, "YYYYMMDDhhmmss" or "YYYYMMDDhhmmss_N" (N from 2 to 99), with
// ".ts", and the final file beside it with "_rec.mp4" or "_rec.ts".
std::optional<RecordingNote> ParseRecordingNote(const std::string& bytes);
