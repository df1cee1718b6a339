#pragma once

#include "sysinfo.h"

// Answers with fixed figures for as long as it lives, and counts the detections asked of it.
class FixedSystemInfo : public SystemInfoService {
 public:
  ProcessorInfo DetectProcessor() override {
    ++detections;
    return processor;
  }
  MemoryStatus GlobalMemoryStatus() override { return memory; }

  ProcessorInfo processor;
  MemoryStatus memory;
  int detections = 0;

 private:
  ServiceSlot<SystemInfoService>::InUse inUse_{SystemInfoSlot(), *this};
};
