# The compare window, part of qm_textwin (included by textwin/CMakeLists.txt
# after the pane). It builds on the application shell (ComparisonWindow, the
# window manager), which in turn asks this library for its text windows.
target_sources(qm_textwin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/splitter_thumb.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_window_compare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_window_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_window_find.cpp
  ${CMAKE_SOURCE_DIR}/output/print_page.cpp
  ${CMAKE_SOURCE_DIR}/output/print_job.cpp
  ${CMAKE_SOURCE_DIR}/output/print_preview.cpp)
target_link_libraries(qm_textwin PUBLIC qm_app qm_html qm_print_layout
  comdlg32 comctl32 shell32 ole32 user32 gdi32)
