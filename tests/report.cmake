# The report window on the headless back end.
add_executable(report_tests ReportTest.cpp)
target_link_libraries(report_tests PRIVATE quorvin_forms quorvin_platform_headless GTest::gtest_main)
target_include_directories(report_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(report_tests)

# The same window on the Qt back end, offscreen.
if(QUORVIN_WITH_QT)
  add_executable(report_qt_tests ReportQtTest.cpp)
  target_link_libraries(report_qt_tests PRIVATE quorvin_forms quorvin_platform_qt GTest::gtest)
  target_include_directories(report_qt_tests PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(report_qt_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
