# Writes the package's Debian changelog from the AppStream file's releases, newest first:
#   cmake -DMETAINFO=<metainfo.xml> -DPACKAGE=lumivane -DMAINTAINER="Name <mail>" \
#         -DOUTPUT=<changelog> -P DebianChangelog.cmake
# A release's description paragraphs become its entries; one without a description says which
# release it is.

include(${CMAKE_CURRENT_LIST_DIR}/Metainfo.cmake)

lumivane_read_metainfo("${METAINFO}" xml)
string(FIND "${xml}" "<releases>" begin)
string(FIND "${xml}" "</releases>" end)
if(begin EQUAL -1 OR end EQUAL -1)
    message(FATAL_ERROR "${METAINFO} lists no releases")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${xml}" ${begin} ${length} releases)

# One list item per release.
string(ASCII 30 separator)
string(REPLACE "<release " "${separator}<release " releases "${releases}")
string(REPLACE "${separator}" ";" releases "${releases}")
list(POP_FRONT releases) # the <releases> tag itself

set(changelog "")
foreach(release IN LISTS releases)
    string(REGEX MATCH "version=\"([^\"]+)\"" found "${release}")
    set(version "${CMAKE_MATCH_1}")
    string(REGEX MATCH "date=\"([0-9]+-[0-9]+-[0-9]+)\"" found "${release}")
    set(date "${CMAKE_MATCH_1}")
    if(version STREQUAL "" OR date STREQUAL "")
        message(FATAL_ERROR "${METAINFO}: a release without a version or a date")
    endif()
    execute_process(COMMAND date -u -R -d "${date}" OUTPUT_VARIABLE stamp
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

    lumivane_paragraphs("${release}" items)
    if(NOT items)
        set(items "Release ${version}.")
    endif()
    string(APPEND changelog "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
    foreach(item IN LISTS items)
        lumivane_wrap("${item}" 74 lines)
        list(JOIN lines "\n    " item)
        string(APPEND changelog "  * ${item}\n")
    endforeach()
    string(APPEND changelog "\n -- ${MAINTAINER}  ${stamp}\n\n")
endforeach()

string(STRIP "${changelog}" changelog)
lumivane_restore_semicolons("${changelog}\n" changelog)
file(WRITE "${OUTPUT}" "${changelog}")
