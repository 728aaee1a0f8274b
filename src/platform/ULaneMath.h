#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The program's own sine, cosine, logarithm and normal values (UMath.h) over arrays, in vectors
// of as many lanes as the processor has: the instruction set is chosen at run time, and every
// one gives the same bits as the one-at-a-time functions. Any N; the arrays need no alignment.
void SinCosLanes(const double* X, double* Sin, double* Cos, size_t N);
void LogLanes(const double* X, double* Out, size_t N);
void GaussianLanes(const double* U1, const double* U2, double* Out, size_t N);

// The instruction sets the lanes are built for that this processor runs, best first, each a
// single bit. The lanes run on the first unless restricted.
std::vector<int64_t> LaneTargets();
std::string LaneTargetName(int64_t Target);
// Makes the lanes run on Target alone, one of LaneTargets(), so that tests can compare them; 0
// lifts the restriction.
void RestrictLaneTargets(int64_t Target);
// The instruction set the lanes run on now.
int64_t LaneTarget();
