#pragma once

#include "serviceslot.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

// What the About box tells about the machine: the processor and the memory. The answers come
// from one replaceable service, so tests and the window snapshots see fixed figures.

// The processor's full name, and its clock in MHz as measured; -1 when it could not be measured.
struct ProcessorInfo {
  QString name;
  int mhz = -1;
};

// The global memory status, in bytes, and the share of physical memory in use, in percent.
// The virtual figures are those of this process's address space.
struct MemoryStatus {
  int memoryLoad = 0;
  std::uint64_t totalPhys = 0;
  std::uint64_t availPhys = 0;
  std::uint64_t totalVirtual = 0;
  std::uint64_t availVirtual = 0;
};

class SystemInfoService {
 public:
  virtual ~SystemInfoService() = default;
  // Finds the name and measures the clock, which takes a noticeable moment.
  virtual ProcessorInfo DetectProcessor() = 0;
  virtual MemoryStatus GlobalMemoryStatus() = 0;
};

// Where the service in use is kept; until a test puts its own in use, the machine's answers.
ServiceSlot<SystemInfoService>& SystemInfoSlot();
inline SystemInfoService& SystemInfo() {
  return SystemInfoSlot().Get();
}

// The pieces the machine's own answers are made of.

// The processor's brand string as the processor itself reports it; empty where it has none.
QString ProcessorBrandString();

// The processor name in a /proc/cpuinfo text: its "model name" (or on some processors its
// "Processor" or "cpu model") entry; empty when there is none.
QString ProcessorNameFromCpuinfo(const QByteArray& cpuinfo);

// Counts the processor's time-stamp cycles against the steady clock over `span` and gives the
// rate in MHz, rounded; -1 where there is no cycle counter or the measurement makes no sense.
int MeasureProcessorMhz(std::chrono::milliseconds span);

// Total and available physical memory in bytes from a /proc/meminfo text. Without a
// MemAvailable line the available memory is free + buffers + page cache, as older kernels
// suggest. Nothing when MemTotal is missing.
struct PhysicalMemory {
  std::uint64_t total = 0;
  std::uint64_t available = 0;
};
std::optional<PhysicalMemory> PhysicalMemoryFromMeminfo(const QByteArray& meminfo);

// The share of `total` that is not `available`, in whole percent (rounded, 0..100).
int MemoryLoadPercent(std::uint64_t total, std::uint64_t available);
