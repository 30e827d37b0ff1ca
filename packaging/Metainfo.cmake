# Reads the AppStream file, the one place that holds Lumivane's summary, description, homepage
# and releases, and wraps its text for Debian's fields. Included by packaging/CMakeLists.txt
# and by DebianChangelog.cmake.

# CMake lists split on ';': text keeps its semicolons as this character until it is written.
string(ASCII 31 LUMIVANE_SEMICOLON)

# Markup gone, entities decoded, white space folded to single spaces.
function(lumivane_plain_text markup out)
    string(REGEX REPLACE "<[^>]*>" "" text "${markup}")
    string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
    string(STRIP "${text}" text)
    set(s "${LUMIVANE_SEMICOLON}") # the semicolons ending the entities were set aside too
    string(REPLACE "&lt${s}" "<" text "${text}")
    string(REPLACE "&gt${s}" ">" text "${text}")
    string(REPLACE "&quot${s}" "\"" text "${text}")
    string(REPLACE "&apos${s}" "'" text "${text}")
    string(REPLACE "&amp${s}" "&" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The metainfo's text with its semicolons set aside (see LUMIVANE_SEMICOLON).
function(lumivane_read_metainfo path out)
    file(READ "${path}" xml)
    string(REPLACE ";" "${LUMIVANE_SEMICOLON}" xml "${xml}")
    set(${out} "${xml}" PARENT_SCOPE)
endfunction()

# The text of the first <tag> without children, e.g. <summary> or <url type="homepage">.
function(lumivane_element_text xml tag out)
    string(REGEX MATCH "<${tag}( [^>]*)?>([^<]*)</${tag}>" element "${xml}")
    lumivane_plain_text("${CMAKE_MATCH_2}" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The paragraphs and list items of a piece of markup, as a list of plain texts.
function(lumivane_paragraphs markup out)
    string(REGEX MATCHALL "<(p|li)>([^<]|</?(em|code)>)*</(p|li)>" blocks "${markup}")
    set(paragraphs)
    foreach(block IN LISTS blocks)
        lumivane_plain_text("${block}" text)
        list(APPEND paragraphs "${text}")
    endforeach()
    set(${out} "${paragraphs}" PARENT_SCOPE)
endfunction()

# The lines, at most `width` characters each (a longer word keeps a line of its own).
function(lumivane_wrap text width out)
    string(REPLACE " " ";" words "${text}")
    set(lines)
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line STREQUAL "")
            set(line "${word}")
        elseif(length GREATER width)
            list(APPEND lines "${line}")
            set(line "${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    if(NOT line STREQUAL "")
        list(APPEND lines "${line}")
    endif()
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# Writes text whose semicolons were set aside.
function(lumivane_restore_semicolons text out)
    string(REPLACE "${LUMIVANE_SEMICOLON}" ";" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
