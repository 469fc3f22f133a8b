# Pointer, scrolling, tooltip and mimic-button tests of the task panel. The pointer tests
# move the real mouse, change the system's wheel setting (restored) and show tips, so they
# hold the desktop while they run.
add_wine_test(taskpanel_input_tests
  SOURCES input_test.cpp scroll_test.cpp tooltip_test.cpp
  LIBS taskpanel runtime test_support comctl32
  RESOURCES ${PROJECT_SOURCE_DIR}/resources/taskpanel_buttons.rc)
target_include_directories(taskpanel_input_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(taskpanel_input_tests PROPERTIES RESOURCE_LOCK desktop)

add_wine_test(taskpanel_mimic_tests
  SOURCES mimic_test.cpp
  LIBS taskpanel runtime test_support
  RESOURCES ${PROJECT_SOURCE_DIR}/resources/taskpanel_buttons.rc)
target_include_directories(taskpanel_mimic_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
