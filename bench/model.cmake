# SPDX-License-Identifier: GPL-3.0-or-later

# A full recalculation pass beside the bare Ge loop it contains.
add_executable(model_bench ModelBench.cpp)
target_link_libraries(model_bench PRIVATE quorvin_forms quorvin_platform_headless
                      benchmark::benchmark_main)
target_include_directories(model_bench PRIVATE ${PROJECT_SOURCE_DIR})

# Not a benchmark: random passes with their log entries and .DAT lines, for
# compare_passes.py to set two builds side by side.
add_executable(pass_dump PassDump.cpp)
target_link_libraries(pass_dump PRIVATE quorvin_log quorvin_model)
target_include_directories(pass_dump PRIVATE ${PROJECT_SOURCE_DIR})
