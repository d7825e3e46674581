# Writes the host's copy of the Talker, link/talker_image.cpp, from the Talker's
# S-record image: the sync byte $FF, then the 256 bytes at $0000-$00FF, which
# the image must give in order, each once.
#   cmake -DS19=talker.S19 -DCPP=talker_image.cpp -P talker_image.cmake
file(STRINGS ${S19} lignes)
set(hex FF)
set(suivante 0)
foreach(ligne IN LISTS lignes)
    if(NOT ligne MATCHES "^S1([0-9A-F][0-9A-F])([0-9A-F][0-9A-F][0-9A-F][0-9A-F])([0-9A-F]*)[0-9A-F][0-9A-F]$")
        continue()
    endif()
    math(EXPR octets "0x${CMAKE_MATCH_1} - 3")
    math(EXPR adresse "0x${CMAKE_MATCH_2}")
    if(NOT adresse EQUAL suivante)
        message(FATAL_ERROR "${S19}: a record at ${adresse} where ${suivante} was expected: "
                            "the Talker fills $0000-$00FF in order")
    endif()
    string(APPEND hex ${CMAKE_MATCH_3})
    math(EXPR suivante "${suivante} + ${octets}")
endforeach()
if(NOT suivante EQUAL 256)
    message(FATAL_ERROR "${S19}: ${suivante} bytes where the Talker has 256")
endif()

# As clang-format lays the constant out: 64 digits a line, aligned under the first.
string(REPEAT " " 35 retrait)
set(texte "// Generated from talker.asm by the build (scripts/update-images.sh copies it here): do not edit.
#include \"link/talker_image.h\"

namespace tessaline {

const char* const TalkerImageHex = ")
string(LENGTH ${hex} n)
foreach(debut RANGE 0 ${n} 64)
    if(debut EQUAL n)
        break()
    endif()
    string(SUBSTRING ${hex} ${debut} 64 morceau)
    if(debut GREATER 0)
        string(APPEND texte "\n${retrait}")
    endif()
    string(APPEND texte "\"${morceau}\"")
endforeach()
string(APPEND texte ";

} // namespace tessaline
")
file(WRITE ${CPP} "${texte}")
