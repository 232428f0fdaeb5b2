# One layer check: compiles a source that includes HEADER with the include directories a
# target compiles with (INCLUDES, separated by '|'), and passes when the outcome is EXPECT:
# "fails" (the header lies in a layer the target must not reach) or "compiles" (it lies in the
# target's own or a lower layer, so the check above is not passing for some other reason).
#   cmake -DCOMPILER=c++ -DINCLUDES=a|b -DHEADER=x/y.h -DEXPECT=fails -DWORK=dir
#         -DNAME=check -P layer_check.cmake
string(REPLACE "|" ";" include_dirs "${INCLUDES}")
set(args -std=c++20 -fsyntax-only -fPIC)
foreach(dir ${include_dirs})
    list(APPEND args "-I${dir}")
endforeach()
file(MAKE_DIRECTORY "${WORK}")
set(source "${WORK}/${NAME}.cpp")
file(WRITE "${source}" "#include \"${HEADER}\"\n")
execute_process(COMMAND "${COMPILER}" ${args} "${source}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${COMPILER} ... ${source}  (#include \"${HEADER}\")\n${out}${err}")
if(EXPECT STREQUAL "fails")
    if(rc EQUAL 0)
        message(FATAL_ERROR "\"${HEADER}\" compiled, but this layer must not reach it")
    endif()
    if(NOT err MATCHES "${HEADER}: No such file or directory")
        message(FATAL_ERROR "the compile failed for another reason than the missing header")
    endif()
    message("refused as it should be: \"${HEADER}\" is not reachable from this layer")
else()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "\"${HEADER}\" did not compile in its own layer")
    endif()
    message("compiles, as it should")
endif()
