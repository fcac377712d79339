# geotal_layer(NAME [FOLDERS folder...] SOURCES source...) adds geotal_NAME, the static library
# of the layer in src/NAME. Other targets reach its headers as "NAME/Header.h" through the
# layer's own include folder, whose only entries are NAME (and the FOLDERS named, each beside
# src/NAME): a target sees the headers of the layers it links and of no other, so including a
# header of a layer that is not linked fails to compile instead of only failing to link.
function(geotal_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;SOURCES")
    add_library(geotal_${name} STATIC ${arg_SOURCES})
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
    foreach(folder IN LISTS arg_FOLDERS)
        get_filename_component(target ${CMAKE_CURRENT_SOURCE_DIR}/../${folder} ABSOLUTE)
        file(CREATE_LINK ${target} ${root}/${folder} SYMBOLIC)
    endforeach()
    target_include_directories(geotal_${name} PUBLIC ${root})
endfunction()
