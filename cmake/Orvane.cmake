# Helpers shared by the subsystem folders.

# A portable library: every *.cpp directly in FOLDER (the Windows half lives in FOLDER/win32).
function(orvane_portable_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
  else()
    add_library(${name} INTERFACE)
  endif()
  set(scope PUBLIC)
  if(NOT sources)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
  set(${name}_scope ${scope} PARENT_SCOPE)
endfunction()

# The Windows half of a subsystem: every *.cpp in FOLDER/win32, built only for Windows.
function(orvane_win32_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/win32/*.cpp)
  if(NOT WIN32)
    return()
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set(${name}_scope PUBLIC PARENT_SCOPE)
  else()
    add_library(${name} INTERFACE)
    set(${name}_scope INTERFACE PARENT_SCOPE)
  endif()
endfunction()

# Registers a GoogleTest executable with ctest, one test per case.
function(orvane_add_gtest target)
  include(GoogleTest)
  gtest_discover_tests(${target} ${ARGN} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST)
endfunction()
