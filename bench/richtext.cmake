# SPDX-License-Identifier: GPL-3.0-or-later

# The calculation log at its largest: appending, saving and opening.
add_executable(richtext_bench RichTextBench.cpp)
target_link_libraries(richtext_bench PRIVATE quorvin_richtext benchmark::benchmark_main)
