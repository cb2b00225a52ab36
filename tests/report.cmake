# The report window on the headless back end.
add_executable(report_tests ReportTest.cpp)
target_link_libraries(report_tests PRIVATE quorvin_forms quorvin_platform_headless GTest::gtest_main)
target_include_directories(report_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(report_tests)
