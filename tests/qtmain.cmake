# The main window on the Qt back end, offscreen.
add_executable(qt_mainwindow_tests QtMainWindowTest.cpp)
target_link_libraries(qt_mainwindow_tests PRIVATE quorvin_forms quorvin_platform_qt GTest::gtest)
target_include_directories(qt_mainwindow_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(qt_mainwindow_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                     DISCOVERY_TIMEOUT 30)
