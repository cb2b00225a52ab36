# The three calculators and their exchanges with the main window, headless.
add_executable(calculator_tests CalculatorTest.cpp CalculatorTestFlow.cpp)
target_link_libraries(calculator_tests PRIVATE quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(calculator_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(calculator_tests)

# The calculators with real Qt widgets, offscreen: nothing clipped.
if(QUORVIN_WITH_QT)
  add_executable(calculator_qt_tests CalculatorTestQt.cpp)
  target_link_libraries(calculator_qt_tests PRIVATE quorvin_forms quorvin_platform_qt GTest::gtest)
  target_include_directories(calculator_qt_tests PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(calculator_qt_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                       DISCOVERY_TIMEOUT 30)
endif()

# The same entered values in every order give the same window and log.
add_executable(temperature_follow_tests TemperatureFollowTest.cpp)
target_link_libraries(temperature_follow_tests PRIVATE quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(temperature_follow_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(temperature_follow_tests)
