# Installs the build into a temporary prefix, builds tests/consumer against it with
# find_package(korgui) and runs the result.
string(RANDOM LENGTH 8 suffix)
set(work "${BUILD_DIR}/install-test-${suffix}")
file(REMOVE_RECURSE "${work}")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${work}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
foreach(f include/korgui/korgui.h include/korbase/hash.h share/locale/de/LC_MESSAGES/korgui.mo
          lib/cmake/korgui/korguiConfig.cmake
          lib/cmake/korgui/korguiConfigVersion.cmake)
  if(NOT EXISTS "${work}/prefix/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${work}/build"
                        -DCMAKE_PREFIX_PATH=${work}/prefix -DCMAKE_BUILD_TYPE=Release
                        "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${work}/build" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the consumer failed: ${rc}")
endif()

file(WRITE "${work}/data.txt" "abc")
execute_process(COMMAND "${work}/build/consumer" "${work}/data.txt"
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(rc OR NOT out MATCHES "900150983cd24fb0d6963f7d28e17f72")
  message(FATAL_ERROR "consumer failed (${rc}): ${out}")
endif()
file(REMOVE_RECURSE "${work}")
message(STATUS "consumer built and ran: ${out}")
