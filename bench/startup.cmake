# SPDX-License-Identifier: GPL-3.0-or-later

# Cold start to the first painted main window, ours beside a minimal Qt
# Widgets program, each started as a fresh process.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(startup_probe_quorvin StartupProbeQuorvin.cpp)
target_link_libraries(startup_probe_quorvin PRIVATE quorvin_app)
add_executable(startup_probe_minimal StartupProbeMinimal.cpp)
target_link_libraries(startup_probe_minimal PRIVATE Qt6::Widgets)

add_executable(startup_bench StartupBench.cpp)
target_link_libraries(startup_bench PRIVATE benchmark::benchmark_main)
target_compile_definitions(startup_bench PRIVATE
  QUORVIN_PROBE="$<TARGET_FILE:startup_probe_quorvin>"
  MINIMAL_PROBE="$<TARGET_FILE:startup_probe_minimal>")
add_dependencies(startup_bench startup_probe_quorvin startup_probe_minimal)
target_include_directories(startup_probe_quorvin PRIVATE ${PROJECT_SOURCE_DIR})
target_include_directories(startup_probe_minimal PRIVATE ${PROJECT_SOURCE_DIR})

# One recalculation pass with the real windows and the chart replotted.
add_executable(qt_pass_bench QtPassBench.cpp QtBenchMain.cpp)
target_link_libraries(qt_pass_bench PRIVATE quorvin_forms quorvin_platform_qt Qt6::Widgets
                      benchmark::benchmark)
target_include_directories(qt_pass_bench PRIVATE ${PROJECT_SOURCE_DIR})
