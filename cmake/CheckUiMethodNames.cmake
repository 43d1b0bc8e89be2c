# Fails when a header of the windows layer (src/ui) declares a method or a
# function whose name starts with a small letter. The layer names its own
# methods, slots and signals in PascalCase (SelectTest, UpdateStatus); a
# small letter is kept only where Qt fixes the name: an override of a Qt
# virtual (paintEvent, data, eventFilter), which says `override`, or a name
# Qt looks up by string, which goes on the list below. Free functions at the
# top level of the layer's .cpp files follow the same rule.
#
# A declaration is a line at the indentation of a class member (4) or of a
# namespace member (0) that starts with a type and names a function; when it
# goes on over several lines, they are read up to its `;` or `{` to see an
# `override`. Constants (kName), members (m_name) and variables built with
# parentheses from numbers or texts are not functions and are left alone.
#
#   cmake -DSOURCE_DIR=<checkout> -P cmake/CheckUiMethodNames.cmake
#
# Prints every offending declaration (path:line: text) and fails; prints the
# number of files it read and succeeds otherwise.

cmake_minimum_required(VERSION 3.25)

# Names Qt looks up by string, declared without `override`.
set(qv_qt_fixed_names "")

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckUiMethodNames: SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

file(GLOB_RECURSE qv_headers RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/ui/*.h")
file(GLOB_RECURSE qv_sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/ui/*.cpp")
list(SORT qv_headers)
list(SORT qv_sources)
if(NOT qv_headers)
    message(FATAL_ERROR "CheckUiMethodNames: no headers under ${SOURCE_DIR}/src/ui")
endif()

# Words that may open a declaration before its type.
set(qv_lead "((static|virtual|inline|explicit|constexpr|friend|Q_INVOKABLE|<<nodiscard>>)[ ]+)*")
# A type: a name with its qualifiers and template arguments, then the
# pointer or reference marks.
set(qv_type "(const[ ]+)?[A-Za-z_][A-Za-z0-9_:]*(<[^;()]*>)?([ ]+const)?([ ]+|[ ]*[*&]+[ ]*)")
set(qv_not_types "^(return|emit|Q_EMIT|delete|new|else|case|throw|goto|using|typedef|co_return)$")

set(qv_found "")
foreach(source IN LISTS qv_headers qv_sources)
    if(source MATCHES "\\.h$")
        set(indents "^(    )?[^ ]")
    else()
        set(indents "^[^ ]")
    endif()
    # One list item per line: the list separator and the brackets (which
    # would hold list items together) become neutral marks first.
    file(READ "${SOURCE_DIR}/${source}" content)
    string(REPLACE ";" "<semicolon>" content "${content}")
    string(REPLACE "[" "<" content "${content}")
    string(REPLACE "]" ">" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    list(LENGTH lines count)
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(NOT line MATCHES "${indents}" OR line MATCHES "^[ ]*(//|#|\\*)")
            continue()
        endif()
        string(REGEX REPLACE "//.*$" "" plain "${line}")
        if(NOT plain MATCHES "^[ ]*${qv_lead}${qv_type}([a-z][A-Za-z0-9_]*)[ ]*\\(")
            continue()
        endif()
        string(REGEX REPLACE "^[ ]*${qv_lead}${qv_type}([a-z][A-Za-z0-9_]*)[ ]*\\(.*$" "\\7" name "${plain}")
        string(REGEX REPLACE "^[ ]*${qv_lead}(const[ ]+)?([A-Za-z_][A-Za-z0-9_:]*).*$" "\\4" first "${plain}")
        if(first MATCHES "${qv_not_types}" OR name MATCHES "^(k[A-Z]|m_|operator$)"
           OR name IN_LIST qv_qt_fixed_names)
            continue()
        endif()
        # Built from numbers or texts: a variable, not a function.
        if(plain MATCHES "${name}[ ]*\\([ ]*[-0-9\"']")
            continue()
        endif()
        # The declaration up to its end, for `override`.
        # (an empty brace pair is a default argument, not a body)
        string(REPLACE "{}" "" statement "${plain}")
        set(next ${number})
        while(NOT statement MATCHES "<semicolon>|{" AND next LESS count)
            list(GET lines ${next} more)
            string(REPLACE "{}" "" more "${more}")
            string(APPEND statement " ${more}")
            math(EXPR next "${next} + 1")
        endwhile()
        string(REGEX REPLACE "(<semicolon>|{).*$" "" statement "${statement}")
        if(statement MATCHES "\\)[^()]*[ ](override|final)([ ]|$)")
            continue()
        endif()
        string(STRIP "${plain}" text)
        list(APPEND qv_found "${source}:${number}: ${text}")
    endforeach()
endforeach()

if(qv_found)
    list(LENGTH qv_found found)
    list(JOIN qv_found "\n  " text)
    string(REPLACE "<semicolon>" ";" text "${text}")
    message(FATAL_ERROR "${found} declaration(s) in src/ui name a method of ours with a small "
                        "letter; name it in PascalCase (or say `override` when it is Qt's):"
                        "\n  ${text}\n")
endif()
list(LENGTH qv_headers headerCount)
list(LENGTH qv_sources sourceCount)
message(STATUS "Method names in ui: ${headerCount} headers and ${sourceCount} sources read")
