# The build keeps the layers: a library's files reach only the headers of the libraries it
# links. Each library gets an include folder of its own in the build tree that holds links to
# its source folders alone, instead of the repository root; res/ (the shared identifiers) and
# the generated version header are for everyone.
set(WRENQUIL_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)

function(wrenquil_link_folder root folder)
    cmake_path(GET folder PARENT_PATH parent)
    file(MAKE_DIRECTORY ${root}/${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
endfunction()

# wrenquil_headers(TARGET FOLDER...): TARGET's own folders, seen by it and by what links it.
function(wrenquil_headers target)
    foreach(folder IN LISTS ARGN)
        wrenquil_link_folder(${WRENQUIL_INCLUDE_ROOT}/${target} ${folder})
    endforeach()
    target_include_directories(${target} PUBLIC ${WRENQUIL_INCLUDE_ROOT}/${target})
endfunction()

wrenquil_link_folder(${WRENQUIL_INCLUDE_ROOT}/common res)
include_directories(${WRENQUIL_INCLUDE_ROOT}/common)
