# SPDX-License-Identifier: GPL-3.0-or-later

# The calculation log in the report window on the Qt back end.
add_executable(report_bench ReportBench.cpp)
target_link_libraries(report_bench PRIVATE quorvin_forms quorvin_platform_qt benchmark::benchmark)
target_include_directories(report_bench PRIVATE ${PROJECT_SOURCE_DIR})

# A pass with the log's recovery copy beside the same pass without it.
add_executable(journal_bench JournalBench.cpp QtBenchMain.cpp)
target_link_libraries(journal_bench PRIVATE quorvin_forms quorvin_platform_qt benchmark::benchmark)
target_include_directories(journal_bench PRIVATE ${PROJECT_SOURCE_DIR})
