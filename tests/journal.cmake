# The log's recovery copy: the program killed in child processes, headless.
add_executable(journal_tests JournalTest.cpp)
target_link_libraries(journal_tests PRIVATE quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(journal_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(journal_tests)
