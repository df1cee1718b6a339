#include "sysinfo.h"

#include <QFile>
#include <QList>
#include <QSysInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define SMARCH_X86 1
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#include <x86intrin.h>
#endif
#endif

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#include <sys/sysinfo.h>
#endif

namespace {

#ifdef SMARCH_X86
void Cpuid(unsigned leaf, unsigned regs[4]) {
#if defined(_MSC_VER)
  int r[4];
  __cpuid(r, int(leaf));
  for (int i = 0; i < 4; ++i) regs[i] = unsigned(r[i]);
#else
  __cpuid(leaf, regs[0], regs[1], regs[2], regs[3]);
#endif
}
#endif

#ifndef _WIN32
QByteArray ReadWholeFile(const char* path) {
  QFile file(QString::fromLatin1(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}
#endif

// The value after "key:" on the first line of a "key : value" text whose key matches.
QByteArray FieldValue(const QByteArray& text, const QByteArray& key) {
  for (const QByteArray& line : text.split('\n')) {
    const qsizetype colon = line.indexOf(':');
    if (colon < 0) continue;
    if (line.left(colon).trimmed() == key) return line.mid(colon + 1).trimmed();
  }
  return {};
}

// A /proc size field such as "16318480 kB", in bytes; nothing when it isn't one.
std::optional<std::uint64_t> KilobyteField(const QByteArray& text, const QByteArray& key) {
  QByteArray value = FieldValue(text, key);
  if (value.isEmpty()) return std::nullopt;
  std::uint64_t unit = 1;
  if (value.endsWith(" kB")) {
    value.chop(3);
    unit = 1024;
  }
  bool ok = false;
  const qulonglong number = value.trimmed().toULongLong(&ok);
  if (!ok) return std::nullopt;
  return std::uint64_t(number) * unit;
}

#if !defined(_WIN32) && defined(__linux__)

// The size of the address space that a user process may map. Linux does not publish it; these
// are the limits of the common page-table layouts, lowered by an address-space limit if set.
std::uint64_t UserAddressSpace() {
  std::uint64_t size;
  if constexpr (sizeof(void*) >= 8) {
#if defined(__aarch64__)
    size = std::uint64_t(1) << 48;
#else
    size = (std::uint64_t(1) << 47) - 4096;
#endif
  } else {
    size = std::uint64_t(3) << 30;
  }
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    size = std::min<std::uint64_t>(size, limit.rlim_cur);
  return size;
}

MemoryStatus MachineMemoryStatus() {
  MemoryStatus status;
  if (const auto physical = PhysicalMemoryFromMeminfo(ReadWholeFile("/proc/meminfo"))) {
    status.totalPhys = physical->total;
    status.availPhys = physical->available;
  } else {
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
      status.totalPhys = std::uint64_t(info.totalram) * info.mem_unit;
      status.availPhys = (std::uint64_t(info.freeram) + info.bufferram) * info.mem_unit;
    }
  }
  status.availPhys = std::min(status.availPhys, status.totalPhys);
  status.memoryLoad = MemoryLoadPercent(status.totalPhys, status.availPhys);

  status.totalVirtual = UserAddressSpace();
  const std::uint64_t used =
      KilobyteField(ReadWholeFile("/proc/self/status"), QByteArrayLiteral("VmSize")).value_or(0);
  status.availVirtual = used < status.totalVirtual ? status.totalVirtual - used : 0;
  return status;
}

#elif defined(_WIN32)

MemoryStatus MachineMemoryStatus() {
  // The extended call: the plain one saturates at 4 GB.
  MEMORYSTATUSEX info{};
  info.dwLength = sizeof info;
  if (!GlobalMemoryStatusEx(&info)) return {};
  MemoryStatus status;
  status.memoryLoad = int(info.dwMemoryLoad);
  status.totalPhys = info.ullTotalPhys;
  status.availPhys = info.ullAvailPhys;
  status.totalVirtual = info.ullTotalVirtual;
  status.availVirtual = info.ullAvailVirtual;
  return status;
}

#else

MemoryStatus MachineMemoryStatus() {
  return {};
}

#endif

QString MachineProcessorName() {
  QString name = ProcessorBrandString();
#ifdef _WIN32
  if (name.isEmpty()) {
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                     L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, buffer,
                     &size) == ERROR_SUCCESS)
      name = QString::fromWCharArray(buffer).trimmed();
  }
#else
  if (name.isEmpty()) name = ProcessorNameFromCpuinfo(ReadWholeFile("/proc/cpuinfo"));
#endif
  if (name.isEmpty()) name = QSysInfo::currentCpuArchitecture();
  return name;
}

class MachineSystemInfo final : public SystemInfoService {
 public:
  ProcessorInfo DetectProcessor() override {
    return {MachineProcessorName(), MeasureProcessorMhz(std::chrono::milliseconds(100))};
  }
  MemoryStatus GlobalMemoryStatus() override { return MachineMemoryStatus(); }
};

}  // namespace

ServiceSlot<SystemInfoService>& SystemInfoSlot() {
  static ServiceSlot<SystemInfoService> slot(std::in_place_type<MachineSystemInfo>);
  return slot;
}

QString ProcessorBrandString() {
#ifdef SMARCH_X86
  unsigned regs[4] = {};
  Cpuid(0x80000000u, regs);
  if (regs[0] < 0x80000004u) return {};
  char brand[49] = {};
  for (unsigned leaf = 0; leaf < 3; ++leaf) {
    Cpuid(0x80000002u + leaf, regs);
    std::memcpy(brand + leaf * 16, regs, 16);
  }
  // Some processors pad the name with spaces in front.
  return QString::fromLatin1(brand).simplified();
#else
  return {};
#endif
}

QString ProcessorNameFromCpuinfo(const QByteArray& cpuinfo) {
  for (const char* key : {"model name", "Processor", "cpu model", "cpu"}) {
    const QByteArray value = FieldValue(cpuinfo, QByteArray(key));
    if (!value.isEmpty()) return QString::fromUtf8(value).simplified();
  }
  return {};
}

int MeasureProcessorMhz(std::chrono::milliseconds span) {
#ifdef SMARCH_X86
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::uint64_t cyclesAtStart = __rdtsc();
  std::this_thread::sleep_for(span);
  const std::uint64_t cyclesAtEnd = __rdtsc();
  const Clock::time_point end = Clock::now();
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(end - start);
  if (nanoseconds.count() <= 0 || cyclesAtEnd <= cyclesAtStart) return -1;
  const double mhz = double(cyclesAtEnd - cyclesAtStart) * 1000.0 / double(nanoseconds.count());
  if (!(mhz >= 1.0 && mhz < 1.0e6)) return -1;
  return int(std::lround(mhz));
#else
  (void)span;
  return -1;
#endif
}

std::optional<PhysicalMemory> PhysicalMemoryFromMeminfo(const QByteArray& meminfo) {
  const auto total = KilobyteField(meminfo, QByteArrayLiteral("MemTotal"));
  if (!total) return std::nullopt;
  PhysicalMemory memory;
  memory.total = *total;
  if (const auto available = KilobyteField(meminfo, QByteArrayLiteral("MemAvailable"))) {
    memory.available = *available;
  } else {
    memory.available = KilobyteField(meminfo, QByteArrayLiteral("MemFree")).value_or(0) +
                       KilobyteField(meminfo, QByteArrayLiteral("Buffers")).value_or(0) +
                       KilobyteField(meminfo, QByteArrayLiteral("Cached")).value_or(0);
  }
  memory.available = std::min(memory.available, memory.total);
  return memory;
}

int MemoryLoadPercent(std::uint64_t total, std::uint64_t available) {
  if (total == 0) return 0;
  const std::uint64_t used = available < total ? total - available : 0;
  // In long double, so that no byte count can overflow the product.
  return int(std::lround(static_cast<long double>(used) * 100.0L / total));
}
