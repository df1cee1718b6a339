// How fast the template data moves: one record through decode and encode, both kinds loaded
// from a file, and all 28 records written back.

#include "samplegame.h"
#include "scripteddialogs.h"
#include "templatestore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

void BM_DecodeEncodeRecord(benchmark::State& state) {
  const QByteArray bin = SampleGame::TemplatesBin();
  TUnitTemplate unit;
  std::memcpy(unit.RawBytes.data(), bin.constData() + 0x0900, 256);
  for (auto _ : state) {
    DecodeRecord(unit, unit.RawBytes.data());
    EncodeRecord(unit);
    benchmark::DoNotOptimize(unit.RawBytes.data());
  }
}
BENCHMARK(BM_DecodeEncodeRecord);

class GameFixture {
 public:
  GameFixture() {
    SampleGame::Write(dir.path());
    store.GameFolder = dir.path() + QStringLiteral("/");
  }
  QTemporaryDir dir;
  ScriptedDialogs quiet;  // swallows the store's notices
  TDune2kFile store;
};

void BM_LoadBothKinds(benchmark::State& state) {
  GameFixture game;
  for (auto _ : state) {
    game.store.ResetLoaded();
    game.store.LoadInfantry();
    game.store.LoadVehicles();
  }
  state.SetItemsProcessed(state.iterations() * 28);
}
BENCHMARK(BM_LoadBothKinds);

void BM_ApplyAll28(benchmark::State& state) {
  GameFixture game;
  game.store.LoadInfantry();
  game.store.LoadVehicles();
  for (auto _ : state) {
    for (auto& u : game.store.Infantry) u.Changed = true;
    for (auto& u : game.store.Vehicles) u.Changed = true;
    game.store.ApplyChanges();
  }
  state.SetItemsProcessed(state.iterations() * 28);
}
BENCHMARK(BM_ApplyAll28);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
