# Wayland: the client library, wayland-scanner and the protocol descriptions the backend speaks.
# wayland-scanner writes C.
enable_language(C)
pkg_check_modules(WAYLAND_client REQUIRED IMPORTED_TARGET wayland-client>=1.20)
pkg_check_modules(WAYLAND_PROTOCOLS REQUIRED wayland-protocols)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT WAYLAND_SCANNER)
    find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
endif()

set(TINTWELL_WAYLAND_PROTOCOLS
    ${PROJECT_SOURCE_DIR}/protocols/wlr-gamma-control-unstable-v1.xml
    ${PROJECT_SOURCE_DIR}/protocols/wlr-foreign-toplevel-management-unstable-v1.xml
    ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml)

# The interface code of every protocol above, the same for clients and servers: one static
# library (C, built without our C++ warning flags), so a test that is both links it once.
set(out ${PROJECT_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${out})
set(code)
foreach(xml ${TINTWELL_WAYLAND_PROTOCOLS})
    get_filename_component(name ${xml} NAME_WE)
    add_custom_command(OUTPUT ${out}/${name}-protocol.c
                       COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
                       DEPENDS ${xml} VERBATIM)
    list(APPEND code ${out}/${name}-protocol.c)
endforeach()
add_library(tintwell_wayland_protocol_code STATIC ${code})
target_link_libraries(tintwell_wayland_protocol_code PUBLIC PkgConfig::WAYLAND_client)

# tintwell_wayland_protocols(TARGET client|server)
# Generates the headers (<name>-client-protocol.h or <name>-server-protocol.h) of every protocol
# above into the target's build folder, and links the target to the interface code.
function(tintwell_wayland_protocols target side)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland-${side})
    file(MAKE_DIRECTORY ${out})
    set(headers)
    foreach(xml ${TINTWELL_WAYLAND_PROTOCOLS})
        get_filename_component(name ${xml} NAME_WE)
        add_custom_command(OUTPUT ${out}/${name}-${side}-protocol.h
                           COMMAND ${WAYLAND_SCANNER} ${side}-header ${xml} ${out}/${name}-${side}-protocol.h
                           DEPENDS ${xml} VERBATIM)
        list(APPEND headers ${out}/${name}-${side}-protocol.h)
    endforeach()
    target_sources(${target} PRIVATE ${headers})
    target_include_directories(${target} PRIVATE ${out})
    target_link_libraries(${target} PUBLIC tintwell_wayland_protocol_code)
endfunction()
