# Writes the message reference's entries as a C++ table, so that programs
# quote docs/messages.md instead of carrying a second copy of its text:
#   cmake -DINPUT=docs/messages.md -DOUTPUT=reference_entries.cpp -P message-reference.cmake
# Every "### CODE" heading of the "## Messages" chapter becomes one row
# {code, entry}: the entry is the text between the heading and the next
# heading, without its surrounding empty lines.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")

string(FIND "${text}" "\n## Messages\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${INPUT} has no \"## Messages\" chapter")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${text}" ${start} -1 text)
# The chapter ends at the next "## " heading.
string(FIND "${text}" "\n## " end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${text}" 0 ${end} text)
endif()
string(APPEND text "\n")

# The entries go into raw string literals; their delimiter must not occur.
string(FIND "${text}" ")ref\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the text )ref\" that the generated literals end with")
endif()

set(rows "")
set(count 0)
string(FIND "${text}" "\n### " at)
while(NOT at EQUAL -1)
  math(EXPR at "${at} + 5")
  string(SUBSTRING "${text}" ${at} -1 text)
  string(FIND "${text}" "\n" eol)
  string(SUBSTRING "${text}" 0 ${eol} code)
  string(STRIP "${code}" code)
  if(NOT code MATCHES "^CHK([0-9][0-9][0-9][0-9][A-Z]|--[A-Z][A-Z][A-Z])$")
    message(FATAL_ERROR "${INPUT}: \"### ${code}\" is not a message code")
  endif()
  string(SUBSTRING "${text}" ${eol} -1 text)
  string(FIND "${text}" "\n### " at)
  if(at EQUAL -1)
    set(entry "${text}")
  else()
    string(SUBSTRING "${text}" 0 ${at} entry)
  endif()
  string(STRIP "${entry}" entry)
  string(APPEND rows "    {\"${code}\", R\"ref(${entry})ref\"},\n")
  math(EXPR count "${count} + 1")
endwhile()
if(count EQUAL 0)
  message(FATAL_ERROR "${INPUT} has no message entries")
endif()

set(source "// Generated from docs/messages.md by cmake/message-reference.cmake; edit\n")
string(APPEND source "// the reference, not this file.\n")
string(APPEND source "#include \"report/reference.h\"\n\n")
string(APPEND source "const ReferenceEntry ReferenceEntries[] = {\n${rows}};\n")
string(APPEND source "const std::size_t ReferenceEntryCount = ${count};\n")

# Rewritten only when it changed, so that an edit elsewhere in the
# reference does not rebuild the program for nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL source)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
