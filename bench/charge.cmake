# SPDX-License-Identifier: GPL-3.0-or-later

# Z(pH) and the screened charge of a long sequence beside the bare pH loop;
# 100 MB sequence files read or refused beside reading their bytes.
add_executable(charge_bench ChargeBench.cpp)
target_link_libraries(charge_bench PRIVATE quorvin_charge quorvin_model benchmark::benchmark_main)
target_include_directories(charge_bench PRIVATE ${PROJECT_SOURCE_DIR})
