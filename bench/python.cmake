# SPDX-License-Identifier: GPL-3.0-or-later

# The bare C++ loops that python_bench.py sets beside the Python module.
add_executable(python_baseline_bench PythonBaselineBench.cpp)
target_link_libraries(python_baseline_bench PRIVATE quorvin_analysis benchmark::benchmark_main)
target_include_directories(python_baseline_bench PRIVATE ${PROJECT_SOURCE_DIR})
