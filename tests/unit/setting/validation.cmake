# Host tests of the command edit dialog's checks (included by this folder's CMakeLists.txt).
add_executable(setting_validation_tests ${CMAKE_CURRENT_LIST_DIR}/validation_test.cpp)
target_link_libraries(setting_validation_tests PRIVATE setting_validation GTest::gtest_main)
pimbo_target_defaults(setting_validation_tests)
include(GoogleTest)
gtest_discover_tests(setting_validation_tests DISCOVERY_TIMEOUT 60)
