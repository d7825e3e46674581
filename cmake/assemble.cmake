# Every 68HC11 source of the tree is assembled at build time by the project's
# own assembler, tessaline-asm, built first as a host tool.
#
#   tessaline_assemble(TARGET OUTPUT_DIR DIR SOURCES NAME.asm...)
#
# makes DIR/NAME.S19 (with NAME.LST and NAME.SYM) from each source, as a target
# of the default build. tessaline-asm writes its products beside the source,
# so the source is copied into DIR first; a source with errors fails the build.
function(tessaline_assemble cible)
    cmake_parse_arguments(PARSE_ARGV 1 A "" "OUTPUT_DIR" "SOURCES")
    set(images)
    foreach(source IN LISTS A_SOURCES)
        get_filename_component(source ${source} ABSOLUTE)
        get_filename_component(nom ${source} NAME_WE)
        set(copie ${A_OUTPUT_DIR}/${nom}.asm)
        add_custom_command(
            OUTPUT ${A_OUTPUT_DIR}/${nom}.S19 ${A_OUTPUT_DIR}/${nom}.LST ${A_OUTPUT_DIR}/${nom}.SYM
            COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copie}
            COMMAND tessaline-asm ${copie}
            DEPENDS ${source} tessaline-asm
            COMMENT "Assembling ${nom}.asm with tessaline-asm"
            VERBATIM)
        list(APPEND images ${A_OUTPUT_DIR}/${nom}.S19)
    endforeach()
    add_custom_target(${cible} ALL DEPENDS ${images})
endfunction()
