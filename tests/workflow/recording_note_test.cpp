#include "engine/recording_note.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace {

std::string Note(const std::string& recording, const std::string& final_file) {
  return "[quorlin-recording]\r\nrecording=" + recording + "\r\nfinal=" + final_file + "\r\n";
}

TEST(RecordingNote, NamesTheProgramGivesOutComeBackUnchanged) {
  const RecordingNote notes[] = {
      {L"D:\\Rec\\20240305140709.ts", L"D:\\Rec\\20240305140709_rec.mp4"},
      {L"C:\\用户\\录像 文件\\20240305140709_2.ts", L"C:\\用户\\录像 文件\\20240305140709_2_rec.ts"},
      {L"\\\\server\\share\\20240305140709_99.ts", L"\\\\server\\share\\20240305140709_99_rec.mp4"},
  };
  for (const RecordingNote& note : notes) {
    const auto parsed = ParseRecordingNote(FormatRecordingNote(note));
    ASSERT_TRUE(parsed) << platform::WideToUtf8(note.recording_file);
    EXPECT_EQ(note.recording_file, parsed->recording_file);
    EXPECT_EQ(note.final_file, parsed->final_file);
  }
}

// A damaged or planted note names nothing: the program must never copy over, or delete, a
// file it did not name itself.
TEST(RecordingNote, AnythingElseIsDamaged) {
  const std::string good = Note("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140709_rec.mp4");
  ASSERT_TRUE(ParseRecordingNote(good));
  const std::string cases[] = {
      "",
      good.substr(0, good.size() - 1),  // cut inside its last line ending
      good.substr(0, good.size() / 2),  // cut in the middle
      good + "x",                       // something after it
      "[quorlin-recording]\nrecording=D:\\Rec\\20240305140709.ts\nfinal=D:\\Rec\\20240305140709_rec.mp4\n",
      Note("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140708_rec.mp4"),    // another recording
      Note("D:\\Rec\\20240305140709.ts", "D:\\Other\\20240305140709_rec.mp4"),  // another folder
      Note("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140709_rec.avi"),
      Note("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140709.ts"),
      Note("D:\\Rec\\notes.ts", "D:\\Rec\\notes_rec.mp4"),  // not a start time
      Note("D:\\Rec\\2024030514070.ts", "D:\\Rec\\2024030514070_rec.mp4"),
      Note("D:\\Rec\\20240305140709_.ts", "D:\\Rec\\20240305140709__rec.mp4"),  // nothing after "_"
      Note("D:\\Rec\\20240305140709_1.ts", "D:\\Rec\\20240305140709_1_rec.mp4"),
      Note("D:\\Rec\\20240305140709_02.ts", "D:\\Rec\\20240305140709_02_rec.mp4"),
      Note("D:\\Rec\\20240305140709_100.ts", "D:\\Rec\\20240305140709_100_rec.mp4"),
      Note("D:\\Rec\\20240305140709.mp4", "D:\\Rec\\20240305140709_rec.mp4"),
      Note("Rec\\20240305140709.ts", "Rec\\20240305140709_rec.mp4"),  // relative
      Note("D:\\Rec\\..\\20240305140709.ts", "D:\\Rec\\..\\20240305140709_rec.mp4"),
      Note("D:/Rec/20240305140709.ts", "D:/Rec/20240305140709_rec.mp4"),
      Note("D:\\R\tc\\20240305140709.ts", "D:\\R\tc\\20240305140709_rec.mp4"),
      Note("D:\\R\xff\\20240305140709.ts", "D:\\R\xff\\20240305140709_rec.mp4"),  // not UTF-8
      Note("D:\\" + std::string(5000, 'a') + "\\20240305140709.ts",
           "D:\\" + std::string(5000, 'a') + "\\20240305140709_rec.mp4"),
  };
  for (const std::string& bytes : cases) EXPECT_FALSE(ParseRecordingNote(bytes)) << bytes.substr(0, 120);
}

}  // namespace
