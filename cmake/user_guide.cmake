# cmake -DREADME=... -DLICENCE=... -DGUIDE_OUT=... -DLICENCE_OUT=... -P user_guide.cmake
#
# Writes the user's part of the README (the introduction and the sections named below) and the
# licence as text files with Windows line ends, for the Windows zip. Pictures and the notes
# for developers inside those sections are left out: the zip has neither the pictures nor the
# sources they speak of.
cmake_minimum_required(VERSION 3.25)
set(kept_sections "User guide" "On Windows" "Backups, failures and crashes" "Keys")

file(READ ${README} text)
string(FIND "${text}" "\n## " next)
if(next EQUAL -1)
    message(FATAL_ERROR "${README} has no sections")
endif()
string(SUBSTRING "${text}" 0 ${next} guide)
set(found "")
while(NOT next EQUAL -1)
    math(EXPR start "${next} + 1")
    string(SUBSTRING "${text}" ${start} -1 rest)
    string(FIND "${rest}" "\n## " length)
    if(length EQUAL -1)
        set(section "${rest}")
        set(next -1)
    else()
        string(SUBSTRING "${rest}" 0 ${length} section)
        math(EXPR next "${start} + ${length}")
    endif()
    string(REGEX MATCH "^## ([^\n]*)" heading "${section}")
    set(heading "${CMAKE_MATCH_1}")
    if(heading IN_LIST kept_sections)
        string(APPEND guide "\n${section}")
        list(APPEND found "${heading}")
    endif()
endwhile()
foreach(heading IN LISTS kept_sections)
    if(NOT heading IN_LIST found)
        message(FATAL_ERROR "${README} has no section \"## ${heading}\"")
    endif()
endforeach()

# A picture is a paragraph of its own; so are the notes that begin with these words.
string(REGEX REPLACE "!\\[[^]\n]*\\]\\([^)\n]*\\)\n" "" guide "${guide}")
foreach(note "The pictures are made by" "Developers:")
    string(REGEX REPLACE "\n${note}[^\n]*(\n[^\n]+)*\n" "\n" guide "${guide}")
endforeach()
string(REGEX REPLACE "\n\n\n+" "\n\n" guide "${guide}")

string(REPLACE "\n" "\r\n" guide "${guide}")
file(WRITE ${GUIDE_OUT} "${guide}")
file(READ ${LICENCE} licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${LICENCE_OUT} "${licence}")
