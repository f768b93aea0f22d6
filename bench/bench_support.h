// Timing and reporting for the benchmarks: a clock, medians and spreads, and Markdown table rows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Spread {
    double minimum;
    double median;
    double maximum;
};

double NowMs();
double Median(std::vector<double> samples);
Spread SpreadOf(std::vector<double> samples);
void PrintRow(const std::string& measure, const std::string& value, const std::string& comparison);
std::string Format(const char* format, double value);
