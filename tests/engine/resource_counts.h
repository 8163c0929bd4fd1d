#pragma once
// What a process holds that an encoder run must give back: open handles (file descriptors
// natively) and threads.
struct ResourceCounts {
  long handles;
  long threads;
};
ResourceCounts CountResources();
