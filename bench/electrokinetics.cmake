# SPDX-License-Identifier: GPL-3.0-or-later

# The standard electrokinetic model beside the linear Henry mobility.
add_executable(electrokinetics_bench ElectrokineticsBench.cpp)
target_link_libraries(electrokinetics_bench PRIVATE quorvin_electrokinetics
                      benchmark::benchmark_main)
target_include_directories(electrokinetics_bench PRIVATE ${PROJECT_SOURCE_DIR})
