// The message reference (docs/messages.md) as the programs quote it: its
// entries are generated from the document at build time, so that the text
// exists in one place only.
#pragma once

#include <cstddef>
#include <string>

struct ReferenceEntry {
  const char* code;  // "CHK0009A", "CHK--ATT"
  const char* text;  // the entry below its heading, as written in the reference
};

extern const ReferenceEntry ReferenceEntries[];
extern const std::size_t ReferenceEntryCount;

/// The entry of `code` (letters in either case), or null.
const ReferenceEntry* findReferenceEntry(const std::string& code);

/// The "What to do" item of an entry without its label, one paragraph a
/// line (the reference's line breaks inside a paragraph taken out), and the
/// reference's markup (bold, code quotes, italics) taken out. Empty when the
/// entry has none.
std::string whatToDo(const ReferenceEntry& entry);

/// Markdown markup taken out of reference text: "**", "`", the "*" of
/// italics and the "> " of quoted lines.
std::string plainText(const std::string& markdown);
