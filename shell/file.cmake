# Reading and writing drawing files; no GUI, so the batch tool links it too.
add_library(brisel_file STATIC ${CMAKE_CURRENT_LIST_DIR}/drawing_file.cpp)
target_link_libraries(brisel_file PUBLIC brisel_model)
