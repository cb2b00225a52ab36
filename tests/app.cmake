# The window program's command line.
add_executable(app_tests CommandLineTest.cpp)
target_link_libraries(app_tests PRIVATE quorvin_app GTest::gtest_main)
target_include_directories(app_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(app_tests)
