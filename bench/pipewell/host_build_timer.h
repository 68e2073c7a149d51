// Times the host's own string building during a benchmark: the plug-in must
// copy what it collected into a string the host owns ("REALBuildString"), so
// that copy is the host's cost, not the plug-in's, and the benchmark reports
// it apart.
#ifndef PIPEWELL_BENCH_HOST_BUILD_TIMER_H_
#define PIPEWELL_BENCH_HOST_BUILD_TIMER_H_

namespace pwbench {

// A resolver to hand to REALPluginMain: answers as the host stand-in does,
// but gives out "REALBuildString" wrapped so that its time is counted.
void* TimedResolve(const char* name);

// Seconds spent in "REALBuildString" since the last ResetBuildSeconds.
double BuildSeconds();
void ResetBuildSeconds();

}  // namespace pwbench

#endif  // PIPEWELL_BENCH_HOST_BUILD_TIMER_H_
