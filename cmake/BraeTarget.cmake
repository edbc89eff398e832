# Common settings for every target built from our own sources.

set(BRAE_SANITIZER_FLAGS "")
if(BRAE_SANITIZE)
  set(BRAE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()
if(BRAE_FUZZ)
  # Library code gets coverage instrumentation; only fuzz targets link the libFuzzer main.
  list(APPEND BRAE_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined)
endif()

function(brae_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror ${BRAE_SANITIZER_FLAGS})
  target_link_options(${target} PRIVATE ${BRAE_SANITIZER_FLAGS})
  target_compile_features(${target} PUBLIC cxx_std_17)
endfunction()

# brae_library(NAME SOURCES... [LINKS ...])
function(brae_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;PUBLIC_INCLUDES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${ARG_PUBLIC_INCLUDES})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  brae_target_defaults(${name})
endfunction()
