# quib_add_layer(<name> SOURCES <files...> [DEPS <layers...>] [LIBS <targets...>])
#
# Makes the static library quib_<name> of one layer folder from an explicit
# list of sources (paths relative to the folder). DEPS names the layers it
# builds on (net, host, ...: linked as quib_net, quib_host, ...), LIBS the
# outside libraries (Qt6::Core, CURL::libcurl, ...). Both are public, so a
# layer's users get what its headers need.
#
# Headers are included by their path from the source root ("net/tsock.h"), so
# every layer carries the root and the generated headers as its include
# directories. That path cannot tell layers apart; scripts/check-layers.sh
# holds the rule of which layer may include which and checks every include.
function(quib_add_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "SOURCES;DEPS;LIBS")
  if(layer_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quib_add_layer(${name}): unknown arguments ${layer_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT layer_SOURCES)
    message(FATAL_ERROR "quib_add_layer(${name}): no SOURCES")
  endif()
  set(target quib_${name})
  add_library(${target} STATIC ${layer_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${QUIB_GENERATED_DIR})
  foreach(dep IN LISTS layer_DEPS)
    if(NOT TARGET quib_${dep})
      message(FATAL_ERROR "quib_add_layer(${name}): layer ${dep} is not defined yet; "
                          "add its folder before this one in the top CMakeLists.txt")
    endif()
    target_link_libraries(${target} PUBLIC quib_${dep})
  endforeach()
  target_link_libraries(${target} PUBLIC ${layer_LIBS})
endfunction()
