#include "fixedsysteminfo.h"
#include "qtprinters.h"
#include "sysinfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr std::uint64_t KB = 1024;

TEST(Meminfo, AvailableMemoryComesFromTheKernelsEstimate) {
  const QByteArray text =
      "MemTotal:       16318480 kB\n"
      "MemFree:         1000000 kB\n"
      "MemAvailable:    9000000 kB\n"
      "Buffers:          200000 kB\n"
      "Cached:          3000000 kB\n";
  const auto memory = PhysicalMemoryFromMeminfo(text);
  ASSERT_TRUE(memory.has_value());
  EXPECT_EQ(memory->total, 16318480 * KB);
  EXPECT_EQ(memory->available, 9000000 * KB);
}

TEST(Meminfo, OlderKernelsAndOddTexts) {
  // Without MemAvailable: free memory, buffers and page cache.
  auto memory = PhysicalMemoryFromMeminfo(
      "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 20 kB\nCached: 300 kB\nSwapCached: 5 kB\n");
  ASSERT_TRUE(memory.has_value());
  EXPECT_EQ(memory->available, 420 * KB);

  // More available than there is can't be.
  memory = PhysicalMemoryFromMeminfo("MemTotal: 1000 kB\nMemAvailable: 5000 kB\n");
  ASSERT_TRUE(memory.has_value());
  EXPECT_EQ(memory->available, 1000 * KB);

  EXPECT_FALSE(PhysicalMemoryFromMeminfo("").has_value());
  EXPECT_FALSE(PhysicalMemoryFromMeminfo("MemFree: 100 kB\n").has_value());
  EXPECT_FALSE(PhysicalMemoryFromMeminfo("MemTotal: lots kB\n").has_value());
}

TEST(Cpuinfo, ProcessorNameIsTheModelName) {
  EXPECT_EQ(ProcessorNameFromCpuinfo("processor\t: 0\n"
                                     "vendor_id\t: GenuineIntel\n"
                                     "cpu family\t: 6\n"
                                     "model name\t: Intel(R) Pentium(R) II   CPU 300MHz\n"
                                     "cpu MHz\t\t: 300.000\n"),
            QStringLiteral("Intel(R) Pentium(R) II CPU 300MHz"));
  EXPECT_EQ(ProcessorNameFromCpuinfo("Processor\t: ARMv7 Processor rev 4 (v7l)\n"
                                     "processor\t: 0\n"),
            QStringLiteral("ARMv7 Processor rev 4 (v7l)"));
  EXPECT_EQ(ProcessorNameFromCpuinfo("processor\t: 0\nBogoMIPS\t: 50.00\n"), QString());
}

TEST(MemoryLoad, IsTheRoundedShareInUse) {
  EXPECT_EQ(MemoryLoadPercent(0, 0), 0);
  EXPECT_EQ(MemoryLoadPercent(100, 93), 7);
  EXPECT_EQ(MemoryLoadPercent(3, 1), 67);
  EXPECT_EQ(MemoryLoadPercent(100, 100), 0);
  EXPECT_EQ(MemoryLoadPercent(100, 500), 0);
  EXPECT_EQ(MemoryLoadPercent(UINT64_MAX, 0), 100);
  EXPECT_EQ(MemoryLoadPercent(UINT64_MAX, UINT64_MAX / 2), 50);
}

TEST(MachineInfo, MemoryFiguresAreConsistent) {
  const MemoryStatus status = SystemInfo().GlobalMemoryStatus();
#if defined(__linux__) || defined(_WIN32)
  EXPECT_GT(status.totalPhys, 0u);
  EXPECT_GT(status.totalVirtual, 0u);
#endif
  EXPECT_LE(status.availPhys, status.totalPhys);
  EXPECT_LE(status.availVirtual, status.totalVirtual);
  EXPECT_GE(status.memoryLoad, 0);
  EXPECT_LE(status.memoryLoad, 100);
}

TEST(MachineInfo, ProcessorHasANameAndAPlausibleClock) {
  const ProcessorInfo processor = SystemInfo().DetectProcessor();
  EXPECT_FALSE(processor.name.trimmed().isEmpty());
  EXPECT_EQ(processor.name, processor.name.simplified());
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
  EXPECT_GT(processor.mhz, 100);
  EXPECT_LT(processor.mhz, 20000);
  // Measurements agree, as a steady cycle counter's must. A busy machine may take the processor
  // away during any one of them, so two out of a few that agree are enough.
  std::vector<int> measured{processor.mhz};
  bool agree = false;
  for (int i = 0; i < 6 && !agree; ++i) {
    const int again = MeasureProcessorMhz(std::chrono::milliseconds(100));
    for (const int earlier : measured) agree = agree || std::abs(again - earlier) < earlier / 4;
    measured.push_back(again);
  }
  EXPECT_TRUE(agree) << "no two of " << measured.size() << " measurements agree";
#else
  EXPECT_TRUE(processor.mhz == -1 || processor.mhz > 0);
#endif
}

TEST(MachineInfo, FixedFiguresStandInWhileTheyLive) {
  SystemInfoService* machine = &SystemInfo();
  {
    FixedSystemInfo outer;
    outer.memory.memoryLoad = 42;
    {
      FixedSystemInfo inner;
      inner.processor = {QStringLiteral("Inner"), 7};
      EXPECT_EQ(&SystemInfo(), &inner);
      EXPECT_EQ(SystemInfo().DetectProcessor().name, QStringLiteral("Inner"));
      EXPECT_EQ(inner.detections, 1);
    }
    EXPECT_EQ(SystemInfo().GlobalMemoryStatus().memoryLoad, 42);
  }
  EXPECT_EQ(&SystemInfo(), machine);
}

}  // namespace
