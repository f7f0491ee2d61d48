# Installs the built project into a scratch prefix, builds examples/c-host against the
# installed package with find_package(tovr), runs it, and checks what it prints.
# Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR, C_COMPILER, SANITIZE.

# Runs a command in the working directory ${step_dir} (WORK_DIR when unset).
function(run_step what)
  if(NOT step_dir)
    set(step_dir ${WORK_DIR})
  endif()
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${step_dir} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed include/tovr.h lib/cmake/tovr/tovrConfig.cmake lib/cmake/tovr/tovrTargets.cmake)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "the package lacks ${installed}")
  endif()
endforeach()

set(flags)
if(SANITIZE)
  # A library built with the sanitizers needs their runtime in the host program too.
  set(flags -DCMAKE_C_FLAGS=-fsanitize=address,undefined
            -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
endif()
run_step("configure the C host" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/c-host
         -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER}
         ${flags})
run_step("build the C host" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
# The standardizer file names its tables and patterns relative to its own folder.
set(step_dir ${SOURCE_DIR}/examples/us-address)
run_step("run the C host" ${WORK_DIR}/build/c_host ${WORK_DIR} usaddr.spc)

foreach(expected "HN=123" "PD=N" "SN=MAIN" "ST=ST" "UT=APT" "UV=4" "BX=77"
                 "MAIN: 1 3" "MAPEL\\? \\| MAIN: 1 2 3")
  if(NOT step_output MATCHES "${expected}")
    message(FATAL_ERROR "the C host printed no '${expected}':\n${step_output}")
  endif()
endforeach()
