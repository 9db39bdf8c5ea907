#pragma once

#include <windows.h>

// The seconds since it was made, by the performance counter.
class Stopwatch {
 public:
  Stopwatch() { QueryPerformanceCounter(&start_); }
  double Seconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / frequency.QuadPart;
  }

 private:
  LARGE_INTEGER start_;
};
