# SPDX-License-Identifier: GPL-3.0-or-later

# The fit of Sigma to a scan, and its Monte Carlo refits on one and two threads.
add_executable(fit_bench FitBench.cpp)
target_link_libraries(fit_bench PRIVATE quorvin_fit benchmark::benchmark_main)
target_include_directories(fit_bench PRIVATE ${PROJECT_SOURCE_DIR})
