# SPDX-License-Identifier: GPL-3.0-or-later

# The batch program beside the same samples entered directly and evaluated bare.
add_executable(batch_bench BatchBench.cpp)
target_link_libraries(batch_bench PRIVATE quorvin_batch benchmark::benchmark_main)
target_include_directories(batch_bench PRIVATE ${PROJECT_SOURCE_DIR})
