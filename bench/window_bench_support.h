#pragma once

#include <QApplication>
#include <ctime>

namespace ts::bench {

// The Qt application the window's parts need, made once, on the screenless platform unless
// another is asked for.
inline void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "trend-bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives as long as the program
}

// Processor time of this thread: the machine is shared, so figures are of processor, not wall
// time.
inline double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace ts::bench
