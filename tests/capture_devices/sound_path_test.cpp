// The system sound's path from the device's packets to the recording's 20 ms chunks: mixing
// down by speaker positions, and the cushion that keeps the sound whole and on time while the
// device's clock and the performance counter disagree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/sound_cushion.h"
#include "capture_devices/rules/sound_mix.h"

using namespace capture;

namespace {

constexpr size_t kChunk = kSampleRate / 50;    // what the recording takes every 20 ms
constexpr size_t kPacket = kSampleRate / 100;  // what the device hands over every 10 ms

// A device playing a steady 1 kHz tone at half scale, its clock `ppm` fast (or slow, when
// negative) against the performance counter, each packet handed over up to 10 ms late (after
// a further `handover` seconds on a machine whose sound system takes longer).
class SimulatedDevice {
 public:
  SimulatedDevice(double ppm, unsigned seed, double handover = 0)
      : rate_(kSampleRate * (1 + ppm * 1e-6)), handover_(handover), random_(seed) {
    // A packet holds whole periods of the tone, so every packet is the same.
    static_assert(kPacket % kPeriod == 0, "whole periods");
    for (size_t i = 0; i < kPacket; ++i)
      packet_[2 * i] = packet_[2 * i + 1] =
          static_cast<int16_t>(std::lround(16383 * std::sin(6.283185307179586 * static_cast<double>(i) / kPeriod)));
  }

  // Hands over the packets that have come by `seconds`, less those lost before `lost_until`
  // (a reader held up too long for the system's buffer); returns how many frames it counted.
  size_t PushUntil(double seconds, PcmConverter& converter, double lost_until = 0) {
    size_t pushed = 0;
    while (Arrival() <= seconds) {
      if (Arrival() < lost_until) {
        pushed += kPacket;
        ++next_;
        arrival_ = -1;
        continue;
      }
      converter.Push(packet_, kPacket);
      pushed += kPacket;
      ++next_;
      arrival_ = -1;
    }
    return pushed;
  }
  // When the device played frame `frame`.
  double PlayedAt(int64_t frame) const { return static_cast<double>(frame) / rate_; }
  void Skip(double seconds) { next_ += static_cast<int64_t>(seconds * rate_) / static_cast<int64_t>(kPacket); }

 private:
  static constexpr size_t kPeriod = kSampleRate / 1000;
  double Arrival() {
    if (arrival_ < 0) {
      const double complete = PlayedAt((next_ + 1) * static_cast<int64_t>(kPacket));
      arrival_ =
          std::max(last_arrival_, complete + handover_ + std::uniform_real_distribution<double>(0, 0.010)(random_));
      last_arrival_ = arrival_;
    }
    return arrival_;
  }

  double rate_, handover_;
  std::mt19937 random_;
  int16_t packet_[2 * kPacket];
  int64_t next_ = 0;  // the next packet
  double arrival_ = -1, last_arrival_ = 0;
};

// Longest run of near-silent samples on the left side.
size_t LongestQuietRun(const int16_t* stereo, size_t frames, size_t& run) {
  size_t longest = 0;
  for (size_t i = 0; i < frames; ++i) {
    run = std::abs(stereo[2 * i]) < 256 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// Sound whose every frame carries its own number (modulo 16000, exact through the conversion),
// so that which frames the cushion left out or played twice can be read from what it plays.
class NumberedSound {
 public:
  static constexpr int kModulo = 16000;
  void Push(PcmConverter& converter, size_t frames) {
    std::vector<int16_t> block(2 * frames);
    for (size_t i = 0; i < frames; ++i, ++next_)
      block[2 * i] = block[2 * i + 1] = static_cast<int16_t>(next_ % kModulo);
    converter.Push(block.data(), frames);
  }

 private:
  int64_t next_ = 0;
};

}  // namespace

TEST(SoundPath, ThirtyMinutesOfADriftingJitteryDeviceStayWholeAndOnTime) {
  for (const double ppm : {200.0, -200.0}) {
    SCOPED_TRACE(testing::Message() << "device clock " << ppm << " ppm");
    SimulatedDevice device(ppm, 7);
    PcmConverter converter(kSampleRate, 2, false);
    SoundCushion cushion;
    std::mt19937 wakeups(11);
    std::vector<int16_t> chunk(2 * kChunk);
    int64_t pushed = 0;
    size_t run = 0, longest_quiet = 0;
    double first_minute = 0, last_minute = 0, worst = 0;
    constexpr int kTakes = 30 * 60 * 50;
    bool started = false;
    double held_until = 0, lost_until = 0;
    for (int n = 0; n < kTakes; ++n) {
      // The recording's streaming thread wakes up to 3 ms late, and every five minutes it is
      // held up for 300 ms, after which it makes the chunks it owes one after the other; every
      // other time, the system lost the first 100 ms of sound meanwhile.
      const double due = (n + 1) * 0.020;
      if (n % 15000 == 7500) {
        held_until = due + 0.300;
        if (n % 30000 == 7500) lost_until = due + 0.100;
      }
      const double now = std::max(held_until, due + std::uniform_real_distribution<double>(0, 0.003)(wakeups));
      pushed += static_cast<int64_t>(device.PushUntil(now, converter, lost_until));
      const auto late = static_cast<size_t>((now - due) * kSampleRate);
      const size_t played = cushion.Take(converter, chunk.data(), kChunk, late);
      if (!started && played == 0) continue;
      // Silence only in place of the lost sound (and while the cushion fills again after it).
      const bool after_loss = lost_until > 0 && due < lost_until + 0.400;
      ASSERT_TRUE(played == kChunk || after_loss) << "a gap inside the sound at " << now << " s";
      if (!started || after_loss) run = 0;  // the silence before the sound began
      started = true;
      if (!after_loss) longest_quiet = std::max(longest_quiet, LongestQuietRun(chunk.data(), kChunk, run));
      // How long before the chunk's due time the device played the last frame it holds.
      const double offset = due - device.PlayedAt(pushed - static_cast<int64_t>(converter.Queued()) - 1);
      if (now > 5) worst = std::max(worst, offset);
      if (now > 5 && now <= 65) first_minute += offset / (50 * 60);
      if (n >= kTakes - 50 * 60) last_minute += offset / (50 * 60);
    }
    EXPECT_LE(longest_quiet, 2u) << "a tone sample played twice is no gap; more is";
    // 200 ppm of 30 minutes is 17,280 frames to mend; a jittery device is no reason for more.
    EXPECT_LT(cushion.dropped() + cushion.repeated(), 19000) << "corrections for the drift, not for each packet";
    EXPECT_LT(worst, 0.100) << "never more than the cushion's cap behind";
    EXPECT_NEAR(first_minute, 0.030 + 0.010, 0.010) << "the cushion's 30 ms and the packets' own delay";
    EXPECT_NEAR(last_minute, first_minute, 0.003) << "no drift over 30 minutes, lost sound or not";
  }
}

TEST(SoundPath, AMicrophoneOnItsOwnClockStaysWithTheSystemSoundForAnHour) {
  // One source of the mix: a device on its own clock, its converter and its cushion.
  struct Source {
    Source(double ppm, unsigned seed) : device(ppm, seed) {}
    SimulatedDevice device;
    PcmConverter converter{kSampleRate, 2, false};
    SoundCushion cushion;
    std::vector<int16_t> chunk = std::vector<int16_t>(2 * kChunk);
    int64_t pushed = 0;
    size_t run = 0, longest_quiet = 0;
    bool started = false;
    double offset = 0, first_minute = 0, last_minute = 0, worst = 0;
  };
  constexpr int kTakes = 60 * 60 * 50;
  for (const double mic_ppm : {300.0, -300.0}) {
    SCOPED_TRACE(testing::Message() << "microphone clock " << mic_ppm << " ppm");
    Source system(-40, 5), microphone(mic_ppm, 9);
    std::mt19937 wakeups(13);
    double worst_apart = 0;
    for (int n = 0; n < kTakes; ++n) {
      const double due = (n + 1) * 0.020;
      const double now = due + std::uniform_real_distribution<double>(0, 0.003)(wakeups);
      const auto late = static_cast<size_t>((now - due) * kSampleRate);
      for (Source* s : {&system, &microphone}) {
        s->pushed += static_cast<int64_t>(s->device.PushUntil(now, s->converter));
        const size_t played = s->cushion.Take(s->converter, s->chunk.data(), kChunk, late);
        if (!s->started && played == 0) continue;
        ASSERT_EQ(played, kChunk) << "a gap inside the sound at " << now << " s";
        if (!s->started) s->run = 0;
        s->started = true;
        s->longest_quiet = std::max(s->longest_quiet, LongestQuietRun(s->chunk.data(), kChunk, s->run));
        s->offset = due - s->device.PlayedAt(s->pushed - static_cast<int64_t>(s->converter.Queued()) - 1);
        if (now > 5) s->worst = std::max(s->worst, s->offset);
        if (now > 5 && now <= 65) s->first_minute += s->offset / (50 * 60);
        if (n >= kTakes - 50 * 60) s->last_minute += s->offset / (50 * 60);
      }
      if (now > 5) worst_apart = std::max(worst_apart, std::fabs(system.offset - microphone.offset));
    }
    for (const Source* s : {&system, &microphone}) {
      EXPECT_LE(s->longest_quiet, 2u) << "a tone sample played twice is no gap; more is";
      EXPECT_LT(s->worst, 0.100) << "never more than the cushion's cap behind";
      EXPECT_NEAR(s->last_minute, s->first_minute, 0.003) << "no drift over an hour";
    }
    // 300 ppm of an hour is over a second; the cushions keep the two within a few packets.
    EXPECT_LT(worst_apart, 0.025) << "microphone and system sound apart";
    EXPECT_GT(microphone.cushion.dropped() + microphone.cushion.repeated(), 50000);
  }
}

TEST(SoundPath, WithCaptureInstantsTheSoundsDelayIsTheSameOnEveryMachine) {
  // The mean delay of the sound behind its chunk, on a machine that hands packets over at
  // once and on one that takes 15 ms more, with and without the packets' capture instants.
  const auto mean_delay = [](double handover, bool capture_instants) {
    SimulatedDevice device(0, 21, handover);
    PcmConverter converter(kSampleRate, 2, false);
    SoundCushion cushion;
    std::vector<int16_t> chunk(2 * kChunk);
    int64_t pushed = 0;
    double sum = 0;
    int count = 0;
    for (int n = 0; n < 60 * 50; ++n) {
      const double now = (n + 1) * 0.020;
      pushed += static_cast<int64_t>(device.PushUntil(now, converter));
      const double newest = pushed ? device.PlayedAt(pushed) : now;
      const auto age = capture_instants ? static_cast<size_t>((now - newest) * kSampleRate) : 0;
      if (cushion.Take(converter, chunk.data(), kChunk, 0, age) == kChunk && now > 5) {
        sum += now - device.PlayedAt(pushed - static_cast<int64_t>(converter.Queued()));
        ++count;
      }
    }
    return count ? sum / count : 1.0;
  };
  EXPECT_NEAR(mean_delay(0, true), 0.030, 0.002) << "the cushion's target, the handover included";
  EXPECT_NEAR(mean_delay(0.015, true), mean_delay(0, true), 0.002);
  EXPECT_GT(mean_delay(0.015, false) - mean_delay(0, false), 0.012) << "without them, the handover adds on";
}

TEST(SoundPath, OfAChunkStampedBeforeTheStartOnlyWhatCameBeforeIsLeftOut) {
  // Chunks of 960 frames (20 ms) stamped 30 ms behind their due times, around the start.
  EXPECT_EQ(FramesBeforeStart(-300000, kChunk), kChunk);
  EXPECT_EQ(FramesBeforeStart(-200000, kChunk), kChunk);
  EXPECT_EQ(FramesBeforeStart(-100000, kChunk), 480u);
  EXPECT_EQ(FramesBeforeStart(0, kChunk), 0u);
  EXPECT_EQ(FramesBeforeStart(5, kChunk), 0u);
  // Every stamp between frames: the rest begins at the start or within one frame after it.
  for (int64_t begin = -200000; begin < 0; begin += 37) {
    const size_t before = FramesBeforeStart(begin, kChunk);
    const int64_t rest_begins = begin + FramesToTime(before);
    ASSERT_GE(rest_begins, 0) << begin;
    ASSERT_LT(rest_begins, 10000000 / kSampleRate + 1) << begin;
  }
}

TEST(SoundMix, LevelsAddUpAndLoudSumsAreRoundedOffNeverWrapped) {
  struct Case {
    const char* what;
    int16_t system, microphone;
    MixLevels levels;
    int low, high;  // the mixed sample's range
  };
  const Case cases[] = {
      {"quiet sums pass exactly", 1000, -3000, {}, -2000, -2000},
      {"each at its own level", 1000, 1000, {0.5f, 2.0f}, 2500, 2500},
      {"a muted microphone", 1200, 32767, {1.0f, 0.0f}, 1200, 1200},
      {"two full-scale peaks", 32767, 32767, {}, 30000, 32767},
      {"two full-scale troughs", -32768, -32768, {}, -32767, -30000},
      {"just under the knee", 13926, 13926, {}, 27852, 27852},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int16_t system[2] = {c.system, c.system};
    const int16_t microphone[2] = {c.microphone, c.microphone};
    MixInto(system, microphone, 1, c.levels);
    EXPECT_GE(system[0], c.low);
    EXPECT_LE(system[0], c.high);
    EXPECT_EQ(system[1], system[0]);
  }
  // The limit bends smoothly: never back down as the sum grows, no step at the knee.
  int previous = SoftLimit(-70000.0f);
  for (float sum = -70000.0f; sum <= 70000.0f; sum += 7.0f) {
    const int limited = SoftLimit(sum);
    ASSERT_GE(limited, previous) << sum;
    ASSERT_LE(limited - previous, 8) << sum;
    previous = limited;
  }
  EXPECT_EQ(SoftLimit(std::nanf("")), 0);

  // A mono microphone at 44.1 kHz reaches the mix on both sides, at 48 kHz.
  PcmConverter mono(44100, 1, false);
  const std::vector<int16_t> voice(44100, 8000);
  mono.Push(voice.data(), voice.size());
  std::vector<int16_t> microphone(2 * kChunk), system(2 * kChunk, 100);
  ASSERT_EQ(mono.Take(microphone.data(), kChunk), kChunk);
  MixInto(system.data(), microphone.data(), kChunk, MixLevels{});
  EXPECT_EQ(system[2 * 100], 8100);
  EXPECT_EQ(system[2 * 100 + 1], 8100);
}

TEST(SoundPath, SilenceBetweenSoundsStaysOnTheTimelineAndABurstIsCapped) {
  SimulatedDevice device(0, 3);
  PcmConverter converter(kSampleRate, 2, false);
  SoundCushion cushion;
  std::vector<int16_t> chunk(2 * kChunk);
  std::vector<size_t> played;  // per chunk
  size_t run = 0, longest_quiet_after_gap = 0;
  for (int n = 0; n < 300; ++n) {
    const double now = (n + 1) * 0.020;
    if (n == 100) device.Skip(1.0);  // nothing played for a second: no packets at all
    if (n < 100 || n >= 150) device.PushUntil(now, converter);
    played.push_back(cushion.Take(converter, chunk.data(), kChunk));
    if (n >= 153)
      longest_quiet_after_gap = std::max(longest_quiet_after_gap, LongestQuietRun(chunk.data(), kChunk, run));
  }
  // Sound until the cushion ran dry, a whole silent chunk for each 20 ms without packets, then
  // sound again once the cushion is full.
  EXPECT_EQ(played[99], kChunk);
  EXPECT_EQ(played[120], 0u);
  EXPECT_EQ(played[149], 0u);
  EXPECT_EQ(played[160], kChunk);
  EXPECT_LE(longest_quiet_after_gap, 2u);

  // Half a second handed over at once (a reader that was stalled) is cut back to the target.
  std::vector<int16_t> burst(2 * kSampleRate / 2, 1000);
  converter.Push(burst.data(), kSampleRate / 2);
  cushion.Take(converter, chunk.data(), kChunk);
  EXPECT_EQ(converter.Queued(), SoundCushion::kTarget);
}

TEST(SoundPath, TheCushionStartsAtItsTargetAndMendsDriftOneWholeFrameAtATime) {
  PcmConverter converter(kSampleRate, 2, false);
  SoundCushion cushion;
  NumberedSound sound;
  std::vector<int16_t> chunk(2 * kChunk), heard;  // heard: the left side of every chunk
  const auto take = [&] {
    ASSERT_EQ(cushion.Take(converter, chunk.data(), kChunk), kChunk) << "after " << heard.size() / kChunk << " chunks";
    for (size_t i = 0; i < kChunk; ++i) heard.push_back(chunk[2 * i]);
  };
  const auto steady = [&](int chunks, size_t frames_each) {
    for (int n = 0; n < chunks; ++n) {
      sound.Push(converter, frames_each);
      take();
    }
  };

  // An 80 ms first burst: sound begins at the target exactly, not 50 ms behind the picture.
  sound.Push(converter, kSampleRate * 80 / 1000);
  take();
  EXPECT_EQ(converter.Queued(), SoundCushion::kTarget);
  {  // a slow start: a first burst past the cap
    PcmConverter slow_start(kSampleRate, 2, false);
    SoundCushion fresh;
    NumberedSound().Push(slow_start, kSampleRate / 5);
    fresh.Take(slow_start, chunk.data(), kChunk);
    EXPECT_EQ(slow_start.Queued(), SoundCushion::kTarget);
  }
  steady(100, kChunk);
  EXPECT_EQ(converter.Queued(), SoundCushion::kTarget);
  EXPECT_EQ(cushion.dropped() + cushion.repeated(), 0) << "a steady device needs no mending";

  // Packets 20 ms late empty the cushion exactly, and the sound goes on with no gap.
  take();
  sound.Push(converter, kChunk / 2);
  take();
  ASSERT_EQ(converter.Queued(), 0u);
  sound.Push(converter, kChunk * 2);
  take();
  steady(10, kChunk);

  // A device 0.1 % slow, then 0.1 % fast: single frames played twice, then single frames left out.
  steady(400, kChunk - 1);
  steady(399, kChunk + 1);
  const int64_t dropped = cushion.dropped();  // one left out now shows only in the next chunk
  steady(1, kChunk + 1);
  EXPECT_GT(cushion.repeated(), 0);
  EXPECT_GT(dropped, 0);
  int64_t twice = 0, left_out = 0;
  for (size_t i = 1; i < heard.size(); ++i) {
    const int step = (heard[i] - heard[i - 1] + NumberedSound::kModulo) % NumberedSound::kModulo;
    ASSERT_LE(step, 2) << "frame " << i << ": " << heard[i - 1] << " then " << heard[i];
    if (step == 0) {
      EXPECT_EQ(i % kChunk, kChunk - 1) << "the repeated frame ends its chunk";
      ++twice;
    }
    if (step == 2) ++left_out;
  }
  EXPECT_EQ(twice, cushion.repeated());
  EXPECT_EQ(left_out, dropped);

  // Sound piling up over a few chunks is cut back to the target at the cap, and the cushion
  // goes on from there as if it had never been full: no more frames left out after it.
  int64_t dropped_at_cap = -1;
  for (int n = 0; n < 20 && dropped_at_cap < 0; ++n) {
    const int64_t before = cushion.dropped();
    steady(1, kChunk * 3 / 2);
    if (cushion.dropped() - before > 1) dropped_at_cap = cushion.dropped();
  }
  ASSERT_GE(dropped_at_cap, 0) << "the cap was reached";
  EXPECT_EQ(converter.Queued(), SoundCushion::kTarget);
  steady(50, kChunk);
  EXPECT_EQ(cushion.dropped(), dropped_at_cap);
  EXPECT_EQ(converter.Queued(), SoundCushion::kTarget);

  // The thread held up 50 ms while the system lost all but 25 ms of sound: this chunk plays
  // the 5 ms of it that were due, and what came later waits for the chunks it belongs to.
  sound.Push(converter, kSampleRate * 25 / 1000);
  EXPECT_EQ(cushion.Take(converter, chunk.data(), kChunk, kSampleRate * 50 / 1000), kSampleRate * 5 / 1000u);
  EXPECT_EQ(converter.Queued(), kSampleRate * 50 / 1000u);
}

TEST(Pcm, ChannelsAreMixedDownBySpeakerPosition) {
  // One frame of each layout with a single channel sounding at half scale: where it lands.
  struct Case {
    const char* what;
    int channels;
    uint32_t mask;  // 0: the usual layout of the channel count
    int sounding;
    int left, right;  // expected, of 32767
  };
  const Case cases[] = {
      {"5.1 centre (dialogue)", 6, 0, 2, 11585, 11585},
      {"5.1 front right", 6, 0, 1, 0, 16384},
      {"5.1 back left", 6, 0, 4, 11585, 0},
      {"5.1 low frequency", 6, 0, 3, 0, 0},
      {"7.1 side right", 8, 0, 7, 0, 11585},
      {"7.1 centre", 8, 0, 2, 11585, 11585},
      {"7.1 side left", 8, 0, 6, 11585, 0},
      {"6.1 back centre", 7, 0, 6, 8192, 8192},
      {"quad without a mask: back right", 4, 0, 3, 0, 11585},
      {"7.1 wide: front left of centre", 8,
       kFrontLeft | kFrontRight | kFrontCenter | kLowFrequency | kBackLeft | kBackRight | kFrontLeftOfCenter |
           kFrontRightOfCenter,
       6, 16384, 0},
      {"mono", 1, 0, 0, 16384, 16384},
      {"quad by mask: back right", 4, kFrontLeft | kFrontRight | kBackLeft | kBackRight, 3, 0, 11585},
      {"centre-only mask", 2, kFrontCenter | kLowFrequency, 0, 11585, 11585},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool is_float : {true, false}) {
      PcmConverter converter(kSampleRate, c.channels, is_float, c.mask);
      std::vector<float> f(static_cast<size_t>(c.channels) * 4, 0.0f);
      std::vector<int16_t> i(f.size(), 0);
      for (size_t frame = 0; frame < 4; ++frame) {
        f[frame * c.channels + c.sounding] = 0.5f;
        i[frame * c.channels + c.sounding] = 16384;
      }
      converter.Push(is_float ? static_cast<const void*>(f.data()) : i.data(), 4);
      int16_t out[2 * 4];
      ASSERT_EQ(converter.Take(out, 4), 4u);
      EXPECT_NEAR(out[6], c.left, 2);
      EXPECT_NEAR(out[7], c.right, 2);
    }
  }
  // Any rate: 5.1 at 44.1 kHz comes out at 48 kHz.
  PcmConverter converter(44100, 6, true);
  const std::vector<float> second(6 * 44100, 0.25f);
  converter.Push(second.data(), 44100);
  EXPECT_NEAR(static_cast<double>(converter.Queued()), 48000, 2);
}
