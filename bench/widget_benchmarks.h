// The main of a benchmark program that paints widgets: a widget application on the offscreen
// platform (unless another one is named), numbers read and written in the C locale.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#include <clocale>

inline int RunWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
