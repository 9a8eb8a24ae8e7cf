# The settings store: the Settings record, registry helpers, history lists
# and window placements. Included by app/CMakeLists.txt.
add_library(qm_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/history_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/history_combo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_placement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
target_link_libraries(qm_settings PUBLIC qm_commands qm_controls qm_engine shell32 advapi32 gdi32 user32 comdlg32
  comctl32)
