# SPDX-License-Identifier: GPL-3.0-or-later

# Monte Carlo draws beside bare evaluations of the measurement function, and
# under the standard electrokinetic model beside the program's own.
add_executable(uncertainty_bench UncertaintyBench.cpp)
target_link_libraries(uncertainty_bench PRIVATE quorvin_analysis quorvin_electrokinetics
                      benchmark::benchmark_main)
target_include_directories(uncertainty_bench PRIVATE ${PROJECT_SOURCE_DIR})
