// How fast unit records turn into text and back: export of all 28 units as JSON and CSV,
// parsing those files, and working out what a full mod changes (apply and diff in memory).

#include "modapply.h"
#include "modtext.h"
#include "samplegame.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

UnitRecords SampleRecords() {
  const QByteArray bin = SampleGame::TemplatesBin();
  UnitRecords records;
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    std::array<std::uint8_t, RecordSize> raw{};
    std::memcpy(raw.data(), bin.constData() + UnitOffset(unit.kind, unit.index), RecordSize);
    records[position] = RecordFromBytes(unit, raw);
  }
  return records;
}

void BM_Export(benchmark::State& state) {
  const UnitRecords records = SampleRecords();
  for (auto _ : state) {
    benchmark::DoNotOptimize(state.range(0) ? ExportCsv(records) : ExportJson(records));
  }
  state.SetItemsProcessed(state.iterations() * UnitCount);
}
BENCHMARK(BM_Export)->ArgName("csv")->Arg(0)->Arg(1);

void BM_Parse(benchmark::State& state) {
  const UnitRecords records = SampleRecords();
  const QByteArray text = state.range(0) ? ExportCsv(records) : ExportJson(records);
  QString error;
  for (auto _ : state) benchmark::DoNotOptimize(ParseModText(text, error));
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_Parse)->ArgName("csv")->Arg(0)->Arg(1);

void BM_ApplyAndDiffFullMod(benchmark::State& state) {
  const UnitRecords game = SampleRecords();
  UnitRecords modded = game;
  for (auto& record : modded) {
    for (auto& byte : record.RawBytes) byte ^= 0x5A;
  }
  QString error;
  const ModFile mod = *ParseModText(ExportJson(modded), error);
  for (auto _ : state) {
    QStringList errors;
    const auto outcome = ApplyMod(game, mod, errors);
    benchmark::DoNotOptimize(DiffRecords(game, outcome->records));
  }
  state.SetItemsProcessed(state.iterations() * UnitCount);
}
BENCHMARK(BM_ApplyAndDiffFullMod);

}  // namespace

BENCHMARK_MAIN();
