// Timing and reporting for the benchmarks: a clock, medians and spreads, and Markdown table rows.
#include "bench/bench_support.h"

#include <algorithm>
#include <stdio.h>

double NowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    return SpreadOf(samples).median;
}

Spread SpreadOf(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    double median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return {samples.front(), median, samples.back()};
}

void PrintRow(const std::string& measure, const std::string& value, const std::string& comparison)
{
    printf("| %s | %s | %s |\n", measure.c_str(), value.c_str(), comparison.c_str());
    fflush(stdout);
}

std::string Format(const char* format, double value)
{
    char text[64];
    snprintf(text, sizeof(text), format, value);
    return text;
}
