#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

// Decides when a walk that reads its folders alone should start threads reading ahead of
// it: when the file system stops answering from its cache.
//
// Measured on the 200,000-folder benchmark tree (bench/run) on a 2-core machine under load:
// with a warm cache 97% of the walk's folder readings (open, list, close) take at most
// 16 us and 99% at most 40 us; the rest are the walk being preempted (0.2% take 1 to
// 16 ms). With a cold cache nearly every reading takes 64 us or more (a virtual disk
// that is itself cached; a real disk takes longer). A reading slower than 40 us therefore
// may be one the disk answered. On a machine busy with other programs, though, warm
// readings come in runs of 70 to 180 us (the walk shares its core): where the system
// tells (FileSystem::WaitsOfThisThread), a slow reading counts only when the walk waited
// during it, as it does for a disk and not when it is preempted. One slow reading alone
// says little, so the threads start once 8 of the last 64 readings were slow: a cold tree
// starts them within a few folders, a tree of which an eighth or more is on disk soon
// after, and a warm one keeps the walk alone.
//
// On a warm cache the threads cost CPU time for no gain, most where another program keeps
// a core busy (16 threads took 1.64 s where the walk alone took 1.41 s): hence the wait.
class ReadAheadTrigger {
  public:
    static constexpr std::chrono::nanoseconds SlowReading = std::chrono::microseconds(40);
    static constexpr int SlowOfLast64 = 8;

    static bool Slow(std::chrono::nanoseconds reading) { return reading > SlowReading; }

    // Notes a reading, whether it was Slow, and for a slow one how often the thread had
    // waited by its end (FileSystem::WaitsOfThisThread; nullopt when unknown). True once
    // the threads should start.
    bool Note(bool slow, std::optional<std::uint64_t> waits);

  private:
    std::uint64_t lastReadings_ = 0; // bit i set: the reading i places back was slow
    std::optional<std::uint64_t> lastWaits_;
};
