// The machine the benchmarks switch: adapters of their own in the disposable prefix's registry, the
// saved settings in a temporary folder, and a DNS client whose flush costs nothing.
#pragma once

void PrepareBenchMachine();
void PresentBenchAdapters(int count);
