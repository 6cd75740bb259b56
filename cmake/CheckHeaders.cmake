# orvale_check_headers(TARGET): every header in the calling folder must compile
# on its own, and twice in a row (so it includes what it uses and guards
# itself). One generated source per header, built against TARGET.
function(orvale_check_headers target)
  if(NOT ORVALE_CHECK_HEADERS)
    return()
  endif()
  file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR}/src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(sources)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER ${header} name)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/header-check/${name}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n#include \"${header}\"\n")
    list(APPEND sources ${source})
  endforeach()
  if(sources)
    add_library(${target}_headers OBJECT ${sources})
    target_link_libraries(${target}_headers PRIVATE ${target})
  endif()
endfunction()
