# The gateway's host is fixed when a program is built: each program that sends links its own
# definition of it, so the release program, the demo and the tests differ only there.
function(wrenquil_gateway_host target host)
    if(NOT host MATCHES "^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?(:[0-9]+)?$")
        message(FATAL_ERROR "gateway host for ${target} must be a host name, optionally with "
                            ":port (got '${host}')")
    endif()
    set(WRENQUIL_GATEWAY_HOST "${host}")
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_gateway_host.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/gateway/gateway_host.cpp.in ${source} @ONLY)
    target_sources(${target} PRIVATE ${source})
endfunction()
