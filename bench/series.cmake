# SPDX-License-Identifier: GPL-3.0-or-later

# A series of 10,000 rows opened beside the bare evaluation of its rows.
add_executable(series_bench SeriesBench.cpp)
target_link_libraries(series_bench PRIVATE quorvin_series benchmark::benchmark_main)
target_include_directories(series_bench PRIVATE ${PROJECT_SOURCE_DIR})

# The series window with a million rows, and the recovery copy's cost of an
# edit.
add_executable(series_window_bench SeriesWindowBench.cpp)
target_link_libraries(series_window_bench PRIVATE quorvin_forms quorvin_platform_headless benchmark::benchmark_main)
target_include_directories(series_window_bench PRIVATE ${PROJECT_SOURCE_DIR})
