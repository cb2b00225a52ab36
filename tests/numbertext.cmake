# Number texts: FormatFloat, FloatToStr, StrToFloat, DateToStr.
add_executable(numbertext_tests NumberTextTest.cpp)
target_link_libraries(numbertext_tests PRIVATE quorvin_platform_base GTest::gtest_main)
gtest_discover_tests(numbertext_tests)
