# The number entry dialog on the Qt back end, offscreen.
add_executable(qt_enternumber_tests QtEnternumberTest.cpp)
target_link_libraries(qt_enternumber_tests PRIVATE quorvin_forms quorvin_platform_qt GTest::gtest)
target_include_directories(qt_enternumber_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(qt_enternumber_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                     DISCOVERY_TIMEOUT 30)
